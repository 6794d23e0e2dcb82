// Every control of every window can be found through the accessibility bus:
// its accessible description is its objectName, and controls without visible
// text of their own carry a readable accessible name.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "console/Unit1.h"
#include "dialogs/Unit2.h"
#include "dialogs/Unit3.h"
#include "dialogs/Unit4.h"
#include "dialogs/Unit5.h"
#include "dialogs/Unit7.h"
#include "dialogs/Unit8.h"
#include "dialogs/Unit9.h"
#include "support/ui/UiHarness.h"

namespace {

bool needsName(QWidget* w) {
    return qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
           qobject_cast<QListWidget*>(w) || qobject_cast<QPlainTextEdit*>(w);
}

TEST(Accessibility, EveryNamedControlOfEveryWindowIsDescribedByItsName) {
    UiHarness ui;
    ui.start();
    const QList<QWidget*> windows{Form1, Form2, Form3, Form4, Form5, Form7, Form8, Form9};
    int checked = 0;
    for (QWidget* window : windows) {
        ASSERT_NE(window, nullptr);
        for (QWidget* w : window->findChildren<QWidget*>()) {
            // Line edits inside editable lists belong to their list.
            if (w->objectName().isEmpty() || w->objectName().startsWith("qt_")) continue;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(a, nullptr) << w->objectName().toStdString();
            EXPECT_EQ(a->text(QAccessible::Description), w->objectName())
                << window->objectName().toStdString() << "/" << w->objectName().toStdString();
            if (needsName(w)) {
                EXPECT_FALSE(a->text(QAccessible::Name).isEmpty())
                    << window->objectName().toStdString() << "/" << w->objectName().toStdString();
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 150);  // the windows are populated, not placeholders
    // The main window's fields take their names from the labels beside them.
    EXPECT_EQ(Form1->cmb_port->accessibleName(), "Com Port");
    EXPECT_EQ(Form1->cmb_nblocks->accessibleName(), "Number of Blocks to be read");
}

}  // namespace

// Every window's controls: each caption (label, button, check box, radio
// button, group title) is at least as wide as its text needs, also with a
// larger font (tests/CMakeLists.txt runs the captions again at
// QT_FONT_DPI=120); and every control can be found through the accessibility
// bus: its accessible description is its objectName, and controls without
// visible text of their own carry a readable accessible name.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "console/Unit1.h"
#include "support/ui/UiHarness.h"

namespace {

// The width the widget's caption needs, or 0 for a widget without one.
int captionWidth(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w))
        return label->text().isEmpty() || label->wordWrap() ? 0 : label->sizeHint().width();
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text().isEmpty() ? 0 : button->sizeHint().width();
    // A group box's smallest size still shows its whole title.
    if (auto* group = qobject_cast<const QGroupBox*>(w))
        return group->title().isEmpty() ? 0 : group->minimumSizeHint().width();
    return 0;
}

const QStringList kNeverShown{"Button5", "Button6", "btn_config"};

TEST(CaptionsFit, EveryCaptionOfEveryWindowIsShownWhole) {
    UiHarness ui;
    ui.start();
    int checked = 0;
    for (const auto& entry : AllWindows()) {
        QWidget* const window = entry.first;
        ShowDialog(window);
        ASSERT_TRUE(ui.waitFor([window] { return window->isVisible(); }));
        for (QWidget* w : window->findChildren<QWidget*>()) {
            const int needed = captionWidth(w);
            // Swapped controls (Close Port) count; the menu's hidden buttons never show.
            const bool shown = w->parentWidget()->isVisibleTo(window) &&
                               (w->isVisibleTo(window) || !kNeverShown.contains(w->objectName()));
            if (needed == 0 || !shown) continue;
            ++checked;
            EXPECT_LE(needed, w->width())
                << window->objectName().toStdString() << "/" << w->objectName().toStdString();
        }
        window->hide();
    }
    EXPECT_GT(checked, 90);  // the windows are populated
}

bool needsName(QWidget* w) {
    return qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
           qobject_cast<QListWidget*>(w) || qobject_cast<QPlainTextEdit*>(w);
}

TEST(Accessibility, EveryNamedControlOfEveryWindowIsDescribedByItsName) {
    UiHarness ui;
    ui.start();
    int checked = 0;
    for (const auto& entry : AllWindows()) {
        QWidget* const window = entry.first;
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

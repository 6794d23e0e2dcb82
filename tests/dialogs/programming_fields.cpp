// The programming dialog's fields as the operator uses them: typing, leaving
// a field, switching the entry mode, and the settings kept across a restart.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>
#include <QTest>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/Unit3.h"
#include "support/ui/UiHarness.h"

namespace {

// Types into an emptied field, then moves the focus on, as the operator would.
void type(UiHarness& ui, QLineEdit* field, const char* keys) {
    field->clear(), field->setFocus();
    ASSERT_TRUE(ui.waitFor([field] { return field->hasFocus(); }));
    QTest::keyClicks(field, keys);
    Form3->Button[9]->setFocus();
    ASSERT_TRUE(ui.waitFor([] { return Form3->Button[9]->hasFocus(); }));
}

TEST(ProgrammingFields, BothEntryModesFollowEachOtherAndTheSectionSurvivesARestart) {
    UiHarness ui;
    ui.start();
    ShowDialog(Form3);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form3));
    type(ui, Form3->hex[5], "xa");  // the filter drops x
    EXPECT_EQ(Form3->hex[5]->text(), "0a");
    EXPECT_EQ(Form3->asc[5]->text(), QString(QChar(0x0A)));
    Form3->rdb_ascii->click();
    EXPECT_FALSE(Form3->hex[5]->isEnabled());
    EXPECT_FALSE(Form3->asc[1]->isEnabled());  // Block0 is always composed
    type(ui, Form3->asc[7], "Z");
    EXPECT_EQ(Form3->hex[7]->text(), "5A");

    SetItemIndex(Form3->cmb_tag, 1), SetItemIndex(Form3->cmb_mod, 1);
    SetItemIndex(Form3->cmb_max, 2), Form3->cmb_tagChange();
    Form3->cb_pass->setChecked(true);
    Form3->Edit12->setText("9A"), Form3->hex[32]->setText("9A"), Form3->hex[5]->setText("4");
    QTest::keyClick(Form3, Qt::Key_Escape);  // closes without a close event
    ui.restart();
    EXPECT_TRUE(Form3->Edit12->isEnabled());  // the loaded check state enables the fields
    EXPECT_EQ(Form3->Edit12->text() + Form3->hex[32]->text() + Form3->hex[5]->text(), "9A9A04");
    EXPECT_EQ(Form3->asc[5]->text(), QString(QChar(4)));
    // T5557, RF/32, max block 3: composed again from the restored choices.
    QString block0;
    for (int i = 1; i <= 4; ++i) block0 += Form3->hex[i]->text();
    EXPECT_EQ(block0, "00088060");
}

}  // namespace

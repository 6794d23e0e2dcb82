// The programming dialog's fields as the operator uses them: typing, leaving
// a field, switching the entry mode, and the settings kept across a restart.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "console/Widgets.h"
#include "dialogs/Unit3.h"
#include "support/ui/UiHarness.h"

namespace {

class ProgrammingFields : public ::testing::Test {
protected:
    void SetUp() override {
        ui.start();
        Form3->show();
        Form3->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form3));
    }
    // Types into an emptied field, then moves the focus on, as the operator would.
    void type(QLineEdit* field, const char* keys) {
        field->clear();
        field->setFocus();
        ASSERT_TRUE(ui.waitFor([field] { return field->hasFocus(); }));
        QTest::keyClicks(field, keys);
        Form3->Button[9]->setFocus();
        ASSERT_TRUE(ui.waitFor([] { return Form3->Button[9]->hasFocus(); }));
    }
    UiHarness ui;
};

TEST_F(ProgrammingFields, TypedBytesAndCharactersFollowEachOther) {
    type(Form3->hex[5], "xa");  // the filter drops x
    EXPECT_EQ(Form3->hex[5]->text(), "0a");
    EXPECT_EQ(Form3->asc[5]->text(), QString(QChar(0x0A)));
    type(Form3->hex[6], "7f3");  // two digits at most
    EXPECT_EQ(Form3->hex[6]->text(), "7f");
    Form3->Button[2]->click();
    ASSERT_FALSE(ui.log().empty());
    EXPECT_NE(ui.log()[0].find("FF 01 06 20 01 0A 7F 8B 45 "), std::string::npos);
    EXPECT_EQ(ui.log()[0].substr(ui.log()[0].find('\t')),
              "\tProgram Block1 with data: 0a 7f 8B 45");

    Form3->rdb_ascii->click();
    EXPECT_FALSE(Form3->hex[5]->isEnabled());
    EXPECT_TRUE(Form3->asc[5]->isEnabled());
    EXPECT_FALSE(Form3->asc[1]->isEnabled());
    type(Form3->asc[7], "Z");
    EXPECT_EQ(Form3->hex[7]->text(), "5A");

    Form3->cb_pass->setChecked(true);
    type(Form3->Edit9, "5");
    EXPECT_EQ(Form3->Edit9->text(), "05");
}

TEST_F(ProgrammingFields, ProgrammerSectionIsSavedOnEscapeAndSurvivesARestart) {
    EXPECT_EQ(Form3->Edit9->text(), "00");
    EXPECT_EQ(Form3->hex[29]->text(), "00");
    EXPECT_EQ(Form3->hex[5]->text() + Form3->hex[8]->text(), "5245");

    SetItemIndex(Form3->cmb_tag, 1);
    SetItemIndex(Form3->cmb_mod, 1);
    SetItemIndex(Form3->cmb_max, 2);
    Form3->cmb_tagChange();
    Form3->cb_pass->setChecked(true);
    Form3->Edit12->setText("9A");
    Form3->hex[32]->setText("9A");
    Form3->hex[5]->setText("4");
    QTest::keyClick(Form3, Qt::Key_Escape);  // closes without a close event
    EXPECT_FALSE(Form3->isVisible());
    EXPECT_NE(ui.iniText().find("PasswordAccess=-1\n"), std::string::npos);

    ui.restart();
    EXPECT_TRUE(Form3->Edit12->isEnabled());  // the loaded check state enables the fields
    EXPECT_EQ(Form3->Edit12->text() + Form3->hex[32]->text() + Form3->hex[5]->text(), "9A9A04");
    EXPECT_EQ(Form3->asc[5]->text(), QString(QChar(4)));
    // T5557, RF/32, max block 3: composed again from the restored choices.
    EXPECT_EQ(Form3->hex[1]->text() + Form3->hex[2]->text() + Form3->hex[3]->text() +
                  Form3->hex[4]->text(),
              "00088060");
}

}  // namespace

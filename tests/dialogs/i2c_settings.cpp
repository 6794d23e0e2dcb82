// The I2C settings dialog end to end: the frames the module receives, the
// enabling rule, address typing and the "I2C" section of the settings file.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "console/Unit1.h"
#include "dialogs/Unit9.h"
#include "settings/SettingsFile.h"
#include "support/ui/UiHarness.h"

namespace {

using Lines = std::vector<std::string>;

std::string stored(const char* key) {
    return TIniFile(SettingsPath()).ReadString("I2C", key, "absent");
}
// Types into the emptied address (unless keys is null), clicks the button as
// the operator does (the exit handler runs first) and returns the frames.
Lines typeAndSend(UiHarness& ui, const char* keys) {
    ui.clearFrames();
    if (keys) {
        Form9->Edit1->clear();
        Form9->Edit1->setFocus();
        QTest::keyClicks(Form9->Edit1, keys);
    }
    QTest::mouseClick(Form9->BitBtn1, Qt::LeftButton);
    return ui.frames();
}

TEST(I2CSettings, ModeAndAddressFollowTheEnablingRuleAndTheSectionIsWrittenOnEveryClose) {
    UiHarness ui;
    ui.start();
    ShowDialog(Form9);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form9));
    EXPECT_FALSE(Form9->Edit1->isEnabled());
    EXPECT_EQ(typeAndSend(ui, nullptr), Lines{"FF 01 03 90 00 41 D5 "});
    EXPECT_EQ(ui.log(),
              (Lines{"TX > Set I2C\tFF 01 03 90 00 41 D5 ", "RX > Success\t\tFF 01 01 99 9B "}));
    Form9->CheckBox1->click();
    EXPECT_TRUE(Form9->Edit1->isEnabled());
    EXPECT_EQ(typeAndSend(ui, nullptr), Lines{"FF 01 03 90 01 41 D6 "});
    EXPECT_EQ(typeAndSend(ui, "5"), Lines{"FF 01 03 90 01 05 9A "});
    EXPECT_EQ(Form9->Edit1->text(), "05");
    EXPECT_TRUE(typeAndSend(ui, "").empty());
    EXPECT_EQ(ui.boxes.errors, Lines{"'' is not a valid hexadecimal value"});
    Form9->CheckBox1->click();
    EXPECT_FALSE(Form9->Edit1->isEnabled());
    EXPECT_EQ(typeAndSend(ui, nullptr), Lines{"FF 01 03 90 00 00 94 "});
    EXPECT_EQ(stored("Status"), "absent");  // sending writes no settings

    Form9->CheckBox1->click();
    Form9->Edit1->setText("7f");
    Form9->close();  // dialogs write nothing when the program ends
    ui.restart();
    EXPECT_TRUE(Form9->Edit1->isEnabled());
    EXPECT_EQ(Form9->Edit1->text(), "7f");

    ShowDialog(Form9);
    Form9->CheckBox1->click();
    QTest::keyClick(Form9, Qt::Key_Escape);  // closes without a close event
    EXPECT_EQ(stored("Status"), "0");

    ui.boxes.clear();
    ui.writeIni("[I2C]\nStatus=maybe\nAddress=3c\n");
    ui.restart();
    EXPECT_EQ(ui.boxes.errors, Lines{"'maybe' is not a valid boolean value"});
    EXPECT_EQ(Form9->Edit1->text(), "41");
    // Loading stopped before the enabling rule; activation applies it.
    ShowDialog(Form9);
    EXPECT_TRUE(ui.waitFor([] { return !Form9->Edit1->isEnabled(); }));
}

}  // namespace

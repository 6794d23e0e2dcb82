// The settings dialogs end to end against the simulated module: output
// selection, byte track and I2C. For each, the frame the module receives,
// which fields are enabled, what is refused, typing, and the section of the
// settings file it keeps.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/Unit5.h"
#include "dialogs/Unit8.h"
#include "dialogs/Unit9.h"
#include "link/TALVOR_comport.h"
#include "settings/SettingsFile.h"
#include "support/ui/UiHarness.h"

namespace {

// Clicks a dialog's send button; checks the one frame and its two log lines.
void ExpectSends(UiHarness& ui, QPushButton* send, const std::string& tx,
                 const std::string& frame) {
    ui.clearFrames(), ui.clearLog();
    send->click();
    EXPECT_EQ(ui.frames(), Lines{frame});
    EXPECT_EQ(ui.log(), (Lines{tx + frame, "RX > Success\t\tFF 01 01 99 9B "}));
}

void chooseResponse(int index) {
    Form5->findChild<QRadioButton*>(QString("rdb_ascii_item%1").arg(index))->click();
}
void sendsOutput(UiHarness& ui, const std::string& frame) {
    ExpectSends(ui, Form5->Button1, "TX > Set Output Parameters\t\t\t", frame);
}

TEST(OutputSelectionDialog, ChoicesBecomeTheFrame) {
    const std::pair<std::function<void()>, std::string> rows[] = {
        {[] {}, "FF 01 07 88 81 00 00 01 02 00 14 "},
        {[] {
             chooseResponse(0), Form5->cb_cr->setChecked(true), Form5->cb_lf->setChecked(true);
             Form5->cb_wiegand->setChecked(true), Choose(Form5->cb_facility, 5);
             Choose(Form5->cb_id1, 0), Choose(Form5->cb_id2, 1);
         },
         "FF 01 07 88 86 80 04 00 01 00 9B "},
        {[] {
             Form5->cb_uart->setChecked(false), Form5->cb_wiegand->setChecked(true);
             Choose(Form5->cb_facility, 0), Form5->edt_facility->setText("1A");
             Form5->cb_GPIO->setChecked(true), Form5->edt_gpiotime->setText("10");
         },
         "FF 01 07 88 00 81 1A 01 02 0A 38 "},
        // CR counts although "Defined Protocol" disabled it.
        {[] { chooseResponse(0), Form5->cb_cr->setChecked(true), chooseResponse(1); },
         "FF 01 07 88 85 00 00 01 02 00 18 "},
        {[] { Form5->cb_GPIO->setChecked(true), Form5->edt_gpiotime->setText("255"); },
         "FF 01 07 88 81 00 00 01 02 FF 13 "},
        {[] { Form5->cb_GPIO->setChecked(true), Form5->edt_gpiotime->setText("0"); },
         "FF 01 07 88 81 00 00 01 02 00 14 "},
        // The facility field is not read unless "Fixed" is chosen.
        {[] { Form5->cb_wiegand->setChecked(true), Form5->edt_facility->clear(); },
         "FF 01 07 88 81 80 00 01 02 00 94 "},
    };
    for (const auto& [setUp, frame] : rows) {
        SCOPED_TRACE(frame);
        UiHarness ui;
        ui.start();
        setUp();
        sendsOutput(ui, frame);
    }
}

TEST(OutputSelectionDialog, EnablingRefusalsTypingAndTheSectionWrittenOnCloseAndRestored) {
    UiHarness ui;
    ui.start();
    const auto enabled = [] {
        std::vector<bool> on;
        for (QWidget* w : std::initializer_list<QWidget*>{
                 Form5->rdb_ascii, Form5->cb_cr, Form5->cb_lf, Form5->cb_facility, Form5->cb_id1,
                 Form5->cb_id2, Form5->edt_facility, Form5->edt_gpiotime})
            on.push_back(w->isEnabled());
        return on;
    };
    EXPECT_EQ(enabled(), std::vector<bool>({1, 0, 0, 0, 0, 0, 0, 0}));
    chooseResponse(0), Form5->cb_cr->setChecked(true);
    Form5->cb_wiegand->setChecked(true), Form5->cb_GPIO->setChecked(true);
    EXPECT_EQ(enabled(), std::vector<bool>({1, 1, 1, 1, 1, 1, 0, 1}));
    Choose(Form5->cb_facility, 0), Form5->cb_uart->setChecked(false);
    EXPECT_EQ(enabled(), std::vector<bool>({0, 0, 0, 1, 1, 1, 1, 1}));

    // An empty fixed facility, no ID2 and a time over 255 are refused.
    Form5->edt_facility->clear();
    Form5->Button1->click();
    Form5->edt_facility->setText("01"), SetItemIndex(Form5->cb_id2, -1);
    Form5->Button1->click();
    Choose(Form5->cb_id2, 27), Form5->edt_gpiotime->setText("256");
    Form5->Button1->click();
    EXPECT_EQ(ui.boxes.errors, (Lines{"'' is not a valid hexadecimal value",
                                      "No item is chosen in Identification Code (second byte)."}));
    EXPECT_EQ(ui.boxes.informations, Lines{"High/ON Time can not be greater than 255"});
    EXPECT_TRUE(ui.frames().empty() && ui.log().empty());

    ShowDialog(Form5);
    TypeInto(ui, Form5->edt_facility, "g a", Form5->edt_gpiotime);
    EXPECT_EQ(Form5->edt_facility->text(), "0a");
    Choose(Form5->cb_id1, 4), Form5->edt_gpiotime->setText("99");
    sendsOutput(ui, "FF 01 07 88 00 81 0A 04 1B 63 9D ");
    EXPECT_EQ(ui.iniText().find("[Output]"), std::string::npos);
    Form5->close();
    EXPECT_NE(ui.iniText().find("[Output]\nUART_ENABLE=0\nASCII_PROTOCOL=0\nCR=-1\nLF=0\n"
                                "WIEGAND_ENABLE=-1\nOUTPUT0_ENABLE=-1\nFACILITY=0\nID1=4\nID2=27\n"
                                "FACILITYBYTE=0a\nGPIO_TIME=99\n"),
              std::string::npos)
        << ui.iniText();
    ui.restart();
    EXPECT_EQ(enabled(), std::vector<bool>({0, 0, 0, 1, 1, 1, 1, 1}));
    sendsOutput(ui, "FF 01 07 88 00 81 0A 04 1B 63 9D ");
}

std::vector<bool> enabledTrackFields() {
    return {Form8->Edit1->isEnabled(), Form8->Edit2->isEnabled(), Form8->Edit3->isEnabled(),
            Form8->Edit4->isEnabled()};
}
void sendsTrack(UiHarness& ui, const std::string& frame) {
    ExpectSends(ui, Form8->Button1, "TX > Set Byte Track\t", frame);
}

TEST(ByteTrackDialog, CountEnablesTheFieldsEveryFieldIsSentAndTheSectionIsKept) {
    UiHarness ui;
    ui.start();
    EXPECT_EQ(enabledTrackFields(), std::vector<bool>({1, 1, 1, 1}));
    sendsTrack(ui, "FF 01 06 55 04 52 58 8B 45 DA ");
    Choose(Form8->cmb_no_tbytes, 1);
    EXPECT_EQ(enabledTrackFields(), std::vector<bool>({1, 1, 0, 0}));
    sendsTrack(ui, "FF 01 06 55 02 52 58 8B 45 D8 ");

    // The section is written only when the dialog closes.
    ShowDialog(Form8);
    Choose(Form8->cmb_no_tbytes, 2);
    Form8->Edit1->setText("0a");  // shown, and so stored, in upper case
    Form8->Button1->click();
    EXPECT_EQ(ui.iniText().find("ByteTrack"), std::string::npos);
    QTest::keyClick(Form8, Qt::Key_Escape);
    EXPECT_NE(ui.iniText().find("[ByteTrack]\nNo=2\nTB1=0A\nTB2=58\nTB3=8B\nTB4=45\n"),
              std::string::npos)
        << ui.iniText();
    ui.restart();
    EXPECT_EQ(enabledTrackFields(), std::vector<bool>({1, 1, 1, 0}));
    sendsTrack(ui, "FF 01 06 55 03 0A 58 8B 45 91 ");

    // An empty counted field or count is refused; uncounted fields go out as zero.
    ui.writeIni("[ByteTrack]\nNo=1\nTB3=zz\nTB4=\n");
    ui.restart();
    ui.clearFrames();
    Form8->Edit2->clear();
    Form8->Button1->click();
    Form1->btn_closeClick();
    SetItemIndex(Form8->cmb_no_tbytes, -1);
    Form8->Button1->click();
    EXPECT_TRUE(com_form->comport1.Connected()) << "auto-open runs before the count is read";
    EXPECT_EQ(ui.boxes.errors,
              Lines({"'' is not a valid hexadecimal value", "'' is not a valid integer value"}));
    EXPECT_TRUE(ui.frames().empty() && ui.log().empty());
    Choose(Form8->cmb_no_tbytes, 0);
    sendsTrack(ui, "FF 01 06 55 01 52 00 00 00 AF ");
}

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

// The output selection dialog end to end: the frame the module receives,
// enabling, refusals, typing and the "Output" section.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>
#include <QTest>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/Unit5.h"
#include "support/ui/UiHarness.h"

namespace {

using Lines = std::vector<std::string>;

void choose(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}
void chooseResponse(int index) {
    Form5->findChild<QRadioButton*>(QString("rdb_ascii_item%1").arg(index))->click();
}
// Sends and checks the frame and its log lines.
void sendsOnly(UiHarness& ui, const std::string& frame) {
    ui.clearFrames(), ui.clearLog();
    Form5->Button1->click();
    EXPECT_EQ(ui.frames(), Lines{frame});
    EXPECT_EQ(ui.log(), (Lines{"TX > Set Output Parameters\t\t\t" + frame,
                               "RX > Success\t\tFF 01 01 99 9B "}));
}

TEST(OutputSelectionDialog, ChoicesBecomeTheFrame) {
    const std::pair<std::function<void()>, std::string> rows[] = {
        {[] {}, "FF 01 07 88 81 00 00 01 02 00 14 "},
        {[] {
             chooseResponse(0), Form5->cb_cr->setChecked(true), Form5->cb_lf->setChecked(true);
             Form5->cb_wiegand->setChecked(true), choose(Form5->cb_facility, 5);
             choose(Form5->cb_id1, 0), choose(Form5->cb_id2, 1);
         },
         "FF 01 07 88 86 80 04 00 01 00 9B "},
        {[] {
             Form5->cb_uart->setChecked(false), Form5->cb_wiegand->setChecked(true);
             choose(Form5->cb_facility, 0), Form5->edt_facility->setText("1A");
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
        sendsOnly(ui, frame);
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
    choose(Form5->cb_facility, 0), Form5->cb_uart->setChecked(false);
    EXPECT_EQ(enabled(), std::vector<bool>({0, 0, 0, 1, 1, 1, 1, 1}));

    // An empty fixed facility, no ID2 and a time over 255 are refused.
    Form5->edt_facility->clear();
    Form5->Button1->click();
    Form5->edt_facility->setText("01"), SetItemIndex(Form5->cb_id2, -1);
    Form5->Button1->click();
    choose(Form5->cb_id2, 27), Form5->edt_gpiotime->setText("256");
    Form5->Button1->click();
    EXPECT_EQ(ui.boxes.errors, (Lines{"'' is not a valid hexadecimal value",
                                      "No item is chosen in Identification Code (second byte)."}));
    EXPECT_EQ(ui.boxes.informations, Lines{"High/ON Time can not be greater than 255"});
    EXPECT_TRUE(ui.frames().empty() && ui.log().empty());

    ShowDialog(Form5);
    Form5->edt_facility->clear(), Form5->edt_facility->setFocus();
    ASSERT_TRUE(ui.waitFor([] { return Form5->edt_facility->hasFocus(); }));
    QTest::keyClicks(Form5->edt_facility, "g a");
    Form5->edt_gpiotime->setFocus();
    ASSERT_TRUE(ui.waitFor([] { return Form5->edt_gpiotime->hasFocus(); }));
    EXPECT_EQ(Form5->edt_facility->text(), "0a");
    choose(Form5->cb_id1, 4), Form5->edt_gpiotime->setText("99");
    sendsOnly(ui, "FF 01 07 88 00 81 0A 04 1B 63 9D ");
    EXPECT_EQ(ui.iniText().find("[Output]"), std::string::npos);
    Form5->close();
    EXPECT_NE(ui.iniText().find("[Output]\nUART_ENABLE=0\nASCII_PROTOCOL=0\nCR=-1\nLF=0\n"
                                "WIEGAND_ENABLE=-1\nOUTPUT0_ENABLE=-1\nFACILITY=0\nID1=4\nID2=27\n"
                                "FACILITYBYTE=0a\nGPIO_TIME=99\n"),
              std::string::npos)
        << ui.iniText();
    ui.restart();
    EXPECT_EQ(enabled(), std::vector<bool>({0, 0, 0, 1, 1, 1, 1, 1}));
    sendsOnly(ui, "FF 01 07 88 00 81 0A 04 1B 63 9D ");
}

}  // namespace

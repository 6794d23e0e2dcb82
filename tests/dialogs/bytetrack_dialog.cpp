// The byte track dialog end to end: enabling, the frame the module receives,
// refusals and the "ByteTrack" section.
#include <gtest/gtest.h>

#include <QTest>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/Unit8.h"
#include "link/TALVOR_comport.h"
#include "support/ui/UiHarness.h"

namespace {

using Flags = std::vector<bool>;
using Lines = std::vector<std::string>;

Flags enabledFields() {
    return {Form8->Edit1->isEnabled(), Form8->Edit2->isEnabled(), Form8->Edit3->isEnabled(),
            Form8->Edit4->isEnabled()};
}
void chooseCount(int index) {
    Form8->cmb_no_tbytes->setCurrentIndex(index);
    emit Form8->cmb_no_tbytes->activated(index);
}
// Sends and checks the frame and its log lines.
void sends(UiHarness& ui, const std::string& frame) {
    ui.clearFrames(), ui.clearLog();
    Form8->Button1->click();
    EXPECT_EQ(ui.frames(), Lines{frame});
    EXPECT_EQ(ui.log(),
              (Lines{"TX > Set Byte Track\t" + frame, "RX > Success\t\tFF 01 01 99 9B "}));
}

TEST(ByteTrackDialog, CountEnablesTheFieldsEveryFieldIsSentAndTheSectionIsKept) {
    UiHarness ui;
    ui.start();
    EXPECT_EQ(enabledFields(), Flags({1, 1, 1, 1}));
    sends(ui, "FF 01 06 55 04 52 58 8B 45 DA ");
    chooseCount(1);
    EXPECT_EQ(enabledFields(), Flags({1, 1, 0, 0}));
    sends(ui, "FF 01 06 55 02 52 58 8B 45 D8 ");

    // The section is written only when the dialog closes.
    ShowDialog(Form8);
    chooseCount(2);
    Form8->Edit1->setText("0a");  // shown, and so stored, in upper case
    Form8->Button1->click();
    EXPECT_EQ(ui.iniText().find("ByteTrack"), std::string::npos);
    QTest::keyClick(Form8, Qt::Key_Escape);
    EXPECT_NE(ui.iniText().find("[ByteTrack]\nNo=2\nTB1=0A\nTB2=58\nTB3=8B\nTB4=45\n"),
              std::string::npos)
        << ui.iniText();
    ui.restart();
    EXPECT_EQ(enabledFields(), Flags({1, 1, 1, 0}));
    sends(ui, "FF 01 06 55 03 0A 58 8B 45 91 ");

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
    chooseCount(0);
    sends(ui, "FF 01 06 55 01 52 00 00 00 AF ");
}

}  // namespace

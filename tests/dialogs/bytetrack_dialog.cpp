// The byte track dialog end to end: enabling, the frame the module receives,
// refusals, typing, and the "ByteTrack" section.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/Unit8.h"
#include "link/TALVOR_comport.h"
#include "support/ui/UiHarness.h"

namespace {

using Flags = std::vector<bool>;
using Frames = std::vector<std::string>;

Flags enabledFields() {
    return {Form8->Edit1->isEnabled(), Form8->Edit2->isEnabled(), Form8->Edit3->isEnabled(),
            Form8->Edit4->isEnabled()};
}
void chooseCount(int index) {
    Form8->cmb_no_tbytes->setCurrentIndex(index);
    emit Form8->cmb_no_tbytes->activated(index);
}
std::string storedTrack(UiHarness& ui) {
    std::string hex;
    ui.sim.withModule([&](SimulatedModule& m) {
        hex = HexOf({m.config().begin() + 32, m.config().begin() + 37});
    });
    return hex;
}

TEST(ByteTrackDialog, EveryFieldIsSentWhateverTheCount) {
    UiHarness ui;
    ui.start();
    EXPECT_EQ(Form8->cmb_no_tbytes->currentText(), "4");
    EXPECT_EQ(enabledFields(), Flags({1, 1, 1, 1}));
    Form8->Button1->click();
    EXPECT_EQ(ui.log(), Frames({"TX > Set Byte Track\tFF 01 06 55 04 52 58 8B 45 DA ",
                                "RX > Success\t\tFF 01 01 99 9B "}));
    EXPECT_EQ(storedTrack(ui), "04 52 58 8B 45 ");

    chooseCount(1);
    EXPECT_EQ(enabledFields(), Flags({1, 1, 0, 0}));
    EXPECT_EQ(Form8->Edit4->text(), "45");
    ui.clearFrames();
    Form8->Button1->click();
    EXPECT_EQ(ui.frames(), Frames{"FF 01 06 55 02 52 58 8B 45 D8 "});
    EXPECT_EQ(storedTrack(ui), "02 52 58 8B 45 ");

    ui.sim.withModule([](SimulatedModule& m) { m.setFaults(Faults{false, false, "", true}); });
    Form8->Button1->click();
    EXPECT_EQ(ui.log().back(), "RX > Unrecognized Response!\t\t\tFF 01 01 66 68 ");
    EXPECT_TRUE(ui.boxes.errors.empty());
}

TEST(ByteTrackDialog, EmptyCountedFieldsAreRefusedUncountedOnesGoOutAsZero) {
    UiHarness ui;
    ui.writeIni("[ByteTrack]\nNo=1\nTB3=zz\nTB4=\n");
    ui.start();
    Form8->Edit2->clear();
    Form8->Button1->click();
    Form1->btn_closeClick();
    SetItemIndex(Form8->cmb_no_tbytes, -1);
    Form8->Button1->click();
    EXPECT_TRUE(com_form->comport1.Connected()) << "auto-open runs before the count is read";
    EXPECT_EQ(ui.boxes.errors,
              Frames({"'' is not a valid hexadecimal value", "'' is not a valid integer value"}));
    EXPECT_TRUE(ui.frames().empty());
    EXPECT_TRUE(ui.log().empty());

    chooseCount(0);
    Form8->Button1->click();
    EXPECT_EQ(ui.frames(), Frames{"FF 01 06 55 01 52 00 00 00 AF "});
}

TEST(ByteTrackDialog, TypingIsFilteredUpperCasedAndPaddedOnExit) {
    UiHarness ui;
    ui.start();
    ShowDialog(Form8);
    ASSERT_TRUE(ui.waitFor([] { return Form8->isActiveWindow(); }));
    Form8->Edit1->clear();
    QTest::keyClicks(Form8->Edit1, "g xa7f");
    EXPECT_EQ(Form8->Edit1->text(), "A7");
    const auto moveFocus = [&ui](QLineEdit* to) {
        to->setFocus();
        return ui.waitFor([to] { return to->hasFocus(); });
    };
    ASSERT_TRUE(moveFocus(Form8->Edit2));
    Form8->Edit2->clear();
    QTest::keyClicks(Form8->Edit2, "7");
    ASSERT_TRUE(moveFocus(Form8->Edit3));
    EXPECT_EQ(Form8->Edit2->text(), "07");
}

TEST(ByteTrackDialog, SectionIsWrittenOnlyOnCloseAndRestoredAtNextStart) {
    UiHarness ui;
    ui.start();
    ShowDialog(Form8);
    chooseCount(2);
    Form8->Edit1->setText("0a");  // shown, and so stored, in upper case
    Form8->Button1->click();
    EXPECT_EQ(ui.iniText().find("ByteTrack"), std::string::npos);
    QTest::keyClick(Form8, Qt::Key_Escape);
    EXPECT_FALSE(Form8->isVisible());
    EXPECT_NE(ui.iniText().find("[ByteTrack]\nNo=2\nTB1=0A\nTB2=58\nTB3=8B\nTB4=45\n"),
              std::string::npos)
        << ui.iniText();

    ui.restart();
    EXPECT_EQ(Form8->cmb_no_tbytes->currentText(), "3");
    EXPECT_EQ(Form8->Edit1->text(), "0A");
    EXPECT_EQ(enabledFields(), Flags({1, 1, 1, 0}));
}

TEST(ByteTrackDialog, BadStoredCountStopsLoading) {
    UiHarness ui;
    ui.writeIni("[ByteTrack]\nNo=two\nTB1=11\n");
    ui.start();
    EXPECT_EQ(ui.boxes.errors, Frames{"'two' is not a valid integer value"});
    EXPECT_EQ(Form8->Edit1->text(), "52");
    EXPECT_EQ(enabledFields(), Flags({0, 0, 0, 0}));
}

}  // namespace

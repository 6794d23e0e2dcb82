// Writing transponder blocks end to end against the simulated module: the
// frames it received, the exact log lines, its virtual transponder, and the
// poll limit around each exchange.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/Unit3.h"
#include "link/TALVOR_comport.h"
#include "support/ui/UiHarness.h"

namespace {

class BlockWrites : public ::testing::Test {
protected:
    void SetUp() override {
        ui.sim.withModule([](SimulatedModule& m) { m.setTagInField(true); });
        ui.start();
        ui.clearFrames();
    }
    uint32_t tagBlock(int n) {
        uint32_t word = 0;
        ui.sim.withModule([&](SimulatedModule& m) { word = m.tag().blocks[n]; });
        return word;
    }
    UiHarness ui;
};

TEST_F(BlockWrites, DefaultsWriteBlock0AndDataBlocksWithTheirLogLines) {
    Form3->Button1Click();
    Form3->Button4Click();
    EXPECT_EQ(ui.frames(), (std::vector<std::string>{"FF 01 06 20 00 60 01 F0 0E 86 ",
                                                     "FF 01 06 20 03 03 03 03 03 36 "}));
    EXPECT_EQ(ui.log(),
              (std::vector<std::string>{
                  "TX >FF 01 06 20 00 60 01 F0 0E 86 \tProgram Block0 with data: 60 01 F0 0E",
                  "RX >FF 01 01 99 9B \t\t\t Success",
                  "TX >FF 01 06 20 03 03 03 03 03 36 \tProgram Block3 with data: 03 03 03 03",
                  "RX >FF 01 01 99 9B \t\t\t Success"}));
    EXPECT_EQ(tagBlock(0), 0x6001F00Eu);
    EXPECT_EQ(PollLimit, kNormalPollLimit);
}

TEST_F(BlockWrites, ProtectedTransponderNeedsItsPassword) {
    ui.sim.withModule([](SimulatedModule& m) {
        m.tag().blocks[0] = 0x000882F0;
        m.tag().blocks[7] = 0x11223344;
    });
    Form3->hex[9]->setText("A1");
    Form3->Button3Click();
    EXPECT_EQ(ui.log().back(), "RX >FF 01 01 66 68 \t\t\tUnrecognized Response");
    EXPECT_EQ(tagBlock(2), 0x02020202u);

    ui.clearLog();
    ui.clearFrames();
    Form3->cb_pass->setChecked(true);
    Form3->Edit9->setText("11");
    Form3->Edit10->setText("22");
    Form3->Edit11->setText("33");
    Form3->Edit12->setText("445");  // only the first two digits make the byte
    Form3->Button3Click();
    EXPECT_EQ(ui.frames(), std::vector<std::string>{"FF 01 0A 23 02 A1 02 02 02 11 22 33 44 81 "});
    EXPECT_EQ(ui.log(),
              (std::vector<std::string>{"TX >FF 01 0A 23 02 A1 02 02 02 11 22 33 44 81 \tProgram "
                                        "Block2 with data: A1 02 02 02 with password:11 22 33 445",
                                        "RX >FF 01 01 99 9B \t\t\t Success"}));
    EXPECT_EQ(tagBlock(2), 0xA1020202u);
}

TEST_F(BlockWrites, AFieldThatIsNoHexByteRefusesTheBlockBeforeAnything) {
    Form3->hex[29]->setText("");
    Form3->Button[8]->click();
    Form3->hex[29]->setText("00");
    Form3->cb_pass->setChecked(true);
    Form3->Edit11->setText("");
    Form3->Button[8]->click();
    EXPECT_EQ(ui.boxes.errors, (std::vector<std::string>{"'' is not a valid hexadecimal value",
                                                         "'' is not a valid hexadecimal value"}));
    EXPECT_TRUE(ui.frames().empty() && ui.log().empty());
    EXPECT_FALSE(com_form->comport1.Connected());
    EXPECT_EQ(PollLimit, kNormalPollLimit);
}

TEST_F(BlockWrites, PasswordProtectionAsksBeforeBlock0AndProgramAllGoesOnWithoutIt) {
    SetItemIndex(Form3->cmb_pass, 1);
    Form3->cmb_passChange();
    ui.boxes.answers = {false, false};
    Form3->Button[1]->click();
    EXPECT_EQ(ui.boxes.informations.size(), 1u);
    EXPECT_EQ(ui.boxes.captions.back(), "UYARI");
    EXPECT_TRUE(ui.frames().empty() && ui.log().empty());

    Form3->Button[9]->click();
    const std::vector<std::string> frames = ui.frames();
    ASSERT_EQ(frames.size(), 7u);
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(frames[n - 1].substr(0, 14), "FF 01 06 20 0" + std::to_string(n));
    EXPECT_EQ(ui.log().size(), 14u);

    ui.clearFrames();
    ui.boxes.answers = {true};
    Form3->Button[1]->click();
    EXPECT_EQ(ui.frames(), std::vector<std::string>{"FF 01 06 20 00 60 01 FC 0E 92 "});
    EXPECT_EQ(tagBlock(0), 0x6001FC0Eu);
}

TEST_F(BlockWrites, PollLimitIsRaisedOnlyWhileABlockIsWritten) {
    // Longer than the normal limit's wait, well within the programming one's.
    ui.sim.withModule([](SimulatedModule& m) {
        Faults f;
        f.answerDelayMs = 500;
        m.setFaults(f);
    });
    Form3->Button[2]->click();
    EXPECT_EQ(ui.log().back(), "RX >FF 01 01 99 9B \t\t\t Success");
    EXPECT_EQ(PollLimit, kNormalPollLimit);

    Form1->btn_closeClick();
    Form1->cmb_port->setEditText("/dev/talvor-no-such-port");
    ui.clearLog();
    ui.clearFrames();
    Form3->Button[9]->click();
    EXPECT_EQ(ui.boxes.errors.size(), 1u);  // the chain ends at the first block
    EXPECT_TRUE(ui.frames().empty() && ui.log().empty());
    EXPECT_EQ(PollLimit, kNormalPollLimit);
}

TEST_F(BlockWrites, IncompleteStoredChoiceRefusesBlock0UntilChosen) {
    ui.stopWindows();
    ui.writeIni("[Programmer]\nTag=1\nModulation=5\n");
    ui.start();
    EXPECT_TRUE(Form3->hex[1]->text().isEmpty());
    Form3->Button[1]->click();
    ASSERT_EQ(ui.boxes.errors.size(), 1u);
    EXPECT_TRUE(ui.frames().empty());

    SetItemIndex(Form3->cmb_mod, 0);
    Form3->cmb_modChange();
    Form3->Button[1]->click();
    EXPECT_EQ(ui.frames(), std::vector<std::string>{"FF 01 06 20 00 00 14 80 E0 9B "});
}

}  // namespace

// Writing transponder blocks end to end against the simulated module: the
// frames it received, the exact log lines, and the poll limit around each
// exchange.
#include <gtest/gtest.h>

#include <QCheckBox>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/Unit3.h"
#include "link/TALVOR_comport.h"
#include "support/ui/UiHarness.h"

namespace {

using Lines = std::vector<std::string>;
const std::string kSuccess = "RX >FF 01 01 99 9B \t\t\t Success";

TEST(BlockWrites, WritesWithAndWithoutPasswordTheWarningAndRefusalsThatSendNothing) {
    UiHarness ui;
    ui.sim.withModule([](SimulatedModule& m) { m.setTagInField(true); });
    ui.start();
    ui.clearFrames(), ui.clearLog();
    // Answers later than the normal limit waits, well within the programming one.
    Faults slow;
    slow.answerDelayMs = 500;
    ui.sim.withModule([&](SimulatedModule& m) { m.setFaults(slow); });
    Form3->Button[1]->click();
    Form3->Button[4]->click();
    EXPECT_EQ(ui.frames(),
              (Lines{"FF 01 06 20 00 60 01 F0 0E 86 ", "FF 01 06 20 03 03 03 03 03 36 "}));
    EXPECT_EQ(ui.log(),
              (Lines{"TX >FF 01 06 20 00 60 01 F0 0E 86 \tProgram Block0 with data: 60 01 F0 0E",
                     kSuccess,
                     "TX >FF 01 06 20 03 03 03 03 03 36 \tProgram Block3 with data: 03 03 03 03",
                     kSuccess}));
    EXPECT_EQ(PollLimit, kNormalPollLimit);

    // Password protection on: a notice, then a warning; declined, Program All
    // goes on without block 0.
    ui.sim.withModule([](SimulatedModule& m) { m.setFaults(Faults{}); });
    ui.clearFrames(), ui.clearLog();
    SetItemIndex(Form3->cmb_pass, 1), Form3->cmb_passChange();
    ui.boxes.answers = {false, false};
    Form3->Button[1]->click();
    EXPECT_EQ(ui.boxes.captions, (Lines{"Tag Programming", "UYARI"}));
    EXPECT_TRUE(ui.frames().empty() && ui.log().empty());
    Form3->Button[9]->click();
    std::string written;
    for (const std::string& frame : ui.frames()) written += frame.substr(9, 6);
    EXPECT_EQ(written, "20 01 20 02 20 03 20 04 20 05 20 06 20 07 ");
    ui.clearFrames();
    ui.boxes.answers = {true};
    Form3->Button[1]->click();
    EXPECT_EQ(ui.frames(), Lines{"FF 01 06 20 00 60 01 FC 0E 92 "});

    // A protected transponder takes only its password.
    ui.sim.withModule([](SimulatedModule& m) {
        m.tag().blocks[0] = 0x000882F0;
        m.tag().blocks[7] = 0x11223344;
    });
    Form3->hex[9]->setText("A1");
    Form3->Button[3]->click();
    EXPECT_EQ(ui.log().back(), "RX >FF 01 01 66 68 \t\t\tUnrecognized Response");
    ui.clearFrames(), ui.clearLog();
    Form3->cb_pass->setChecked(true);
    Form3->Edit9->setText("11"), Form3->Edit10->setText("22"), Form3->Edit11->setText("33");
    Form3->Edit12->setText("445");  // only the first two digits make the byte
    Form3->Button[3]->click();
    EXPECT_EQ(ui.frames(), Lines{"FF 01 0A 23 02 A1 02 02 02 11 22 33 44 81 "});
    EXPECT_EQ(ui.log(), (Lines{"TX >FF 01 0A 23 02 A1 02 02 02 11 22 33 44 81 \tProgram Block2 "
                               "with data: A1 02 02 02 with password:11 22 33 445",
                               kSuccess}));

    // An empty data or password byte is refused before the port is opened;
    // a port error ends Program All at its first block. Either way nothing is
    // sent and the normal poll limit is back.
    Form1->btn_closeClick(), ui.clearFrames(), ui.clearLog();
    Form3->hex[29]->setText("");
    Form3->Button[8]->click();
    Form3->hex[29]->setText("00"), Form3->Edit11->setText("");
    Form3->Button[8]->click();
    EXPECT_EQ(ui.boxes.errors, Lines(2, "'' is not a valid hexadecimal value"));
    EXPECT_FALSE(com_form->comport1.Connected());
    ui.boxes.clear();
    Form3->Edit11->setText("33");
    Form1->cmb_port->setEditText("/dev/talvor-no-such-port");
    Form3->Button[9]->click();
    EXPECT_EQ(ui.boxes.errors.size(), 1u);
    EXPECT_TRUE(ui.frames().empty() && ui.log().empty());
    EXPECT_EQ(PollLimit, kNormalPollLimit);
}

}  // namespace

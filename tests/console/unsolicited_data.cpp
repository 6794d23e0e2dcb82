// Frames the module sends on its own reach the activity log between commands,
// through the port's received-data event: none lost, none read twice.
#include <gtest/gtest.h>

#include <QComboBox>
#include <array>

#include "console/Unit1.h"
#include "link/TALVOR_comport.h"
#include "support/PtyPair.h"
#include "support/ui/UiHarness.h"

namespace {

using Lines = std::vector<std::string>;

TEST(UnsolicitedData, ATagEnteringTheFieldAfterStartReadIsLoggedOnce) {
    UiHarness ui;
    ui.start();
    ui.sim.withModule([](SimulatedModule& m) { m.setTagInField(false); });
    Form1->Button1Click();
    EXPECT_EQ(ui.log(),
              (Lines{"TX > Read Tag\t\tFF 01 03 10 03 02 19 ", "RX > Success\t\tFF 01 01 99 9B "}));
    ui.sim.withModule([](SimulatedModule& m) { m.setTagInField(true); });
    // EM4100 decoded: the five ID bytes of the simulated tag.
    const std::string tagLine = "RX > FF 01 06 10 1A 2B 3C 4D 5E 43 ";
    ASSERT_TRUE(ui.waitFor([&] { return ui.log().size() == 3; }));
    ui.settle(200);
    EXPECT_EQ(ui.log(), (Lines{"TX > Read Tag\t\tFF 01 03 10 03 02 19 ",
                               "RX > Success\t\tFF 01 01 99 9B ", tagLine}));
}

TEST(UnsolicitedData, EveryFrameOfAStreamIsLoggedAndCommandsStillWork) {
    UiHarness ui;
    ui.start();
    Form1->btn_openClick();
    // Each frame carries the next ID, so a lost, doubled or reordered frame shows.
    Faults stream;
    stream.unsolicitedTagEveryMs = 20;
    ui.sim.withModule([&](SimulatedModule& m) {
        m.setCountTagIds(true);
        m.setFaults(stream);
    });
    ASSERT_TRUE(ui.waitFor([&] { return ui.log().size() >= 10; }));
    uint64_t sent = 0;
    ui.sim.withModule([&](SimulatedModule& m) {
        m.clearFaults();
        sent = m.tagFramesSent();
    });
    ASSERT_TRUE(ui.waitFor([&] { return ui.log().size() >= sent; }));
    ui.settle(100);
    Lines expected;
    std::array<uint8_t, 5> id{0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    for (uint64_t k = 0; k < sent; ++k) {
        expected.push_back("RX > " +
                           HexOf(SimulatedModule::makeFrame(0x10, {id.begin(), id.end()})));
        for (int i = 4; i >= 0 && ++id[static_cast<size_t>(i)] == 0; --i) {
        }
    }
    EXPECT_EQ(ui.log(), expected);

    ui.clearLog();
    Form1->Sleep1Click();
    ui.settle(100);
    EXPECT_EQ(ui.log(),
              (Lines{"TX > Sleep\t\tFF 01 01 60 62 ", "RX > Success\t\tFF 01 01 99 9B "}));
}

TEST(UnsolicitedData, NonFrameTextAndStrayBytesGetTheirOwnLines) {
    UiHarness ui;
    ui.start();
    PtyPair module;
    Form1->cmb_port->setEditText(QString::fromStdString(module.slavePath()));
    Form1->btn_openClick();

    module.writeToHost("HELLO");
    ASSERT_TRUE(ui.waitFor([&] { return !ui.log().empty(); }));
    ui.settle(100);
    EXPECT_EQ(ui.log(),
              (Lines{"Incoming ASCII Characters >HELLO\t( As HEX >0x48 0x45 0x4C 0x4C 0x4F )"}));

    ui.clearLog();
    module.writeToHost("xy");
    ASSERT_TRUE(ui.waitFor([&] { return ui.log().size() >= 2; }));
    ui.settle(100);
    EXPECT_EQ(ui.log(), (Lines{"***Timeout.No Response***", "RX > error"}));
}

}  // namespace

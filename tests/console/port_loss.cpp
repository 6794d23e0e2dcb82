// The device behind the open port goes away and comes back: the simulated
// module's cable is pulled and plugged in again.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QPushButton>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "link/TALVOR_comport.h"
#include "support/ui/UiHarness.h"

namespace {

using Lines = std::vector<std::string>;

class PortLoss : public ::testing::Test {
protected:
    void SetUp() override {
        ui.start();
        Form1->btn_openClick();
        ui.clearLog();
    }
    bool closedAfterLoss() {
        return ui.waitFor(
            [] { return Form1->btn_open->isVisibleTo(Form1) && !com_form->comport1.Connected(); });
    }
    TComPort& port() { return com_form->comport1; }
    UiHarness ui;
};

TEST_F(PortLoss, OneLineAndThePortClosedAsCloseDoesThenNothingWithoutReconnect) {
    ui.sim.unplug();
    ASSERT_TRUE(closedAfterLoss());
    EXPECT_FALSE(Form1->btn_close->isVisibleTo(Form1));
    EXPECT_FALSE(port().HasEventThread());
    ui.sim.plugIn();
    ui.settle(500);
    EXPECT_EQ(ui.log(), Lines{"Port " + ui.sim.devicePath() + " was disconnected"});
    EXPECT_TRUE(ui.boxes.errors.empty());
    EXPECT_FALSE(port().Connected());
}

TEST_F(PortLoss, ReconnectOpensTheStoredPortAgainAndCloseCancelsIt) {
    Form1->ReconnectAutomatically1->trigger();
    EXPECT_NE(ui.iniText().find("reconnect_auto=-1"), std::string::npos);
    ui.sim.unplug();
    ASSERT_TRUE(closedAfterLoss());
    // What the window shows now is not what reconnecting opens.
    Form1->cmb_port->setEditText("/dev/ttyNOWHERE");
    SetItemIndex(Form1->cmb_baud, 0);
    ui.clearFrames();
    ui.sim.plugIn();
    ASSERT_TRUE(ui.waitFor([&] { return port().Connected(); }));
    EXPECT_EQ(port().Port(), ui.sim.devicePath());
    EXPECT_EQ(port().BaudRate(), br19200);
    EXPECT_TRUE(Form1->btn_close->isVisibleTo(Form1));
    EXPECT_EQ(ui.log(), (Lines{"Port " + ui.sim.devicePath() + " was disconnected",
                               "Port " + ui.sim.devicePath() + " was reconnected"}));
    EXPECT_TRUE(ui.frames().empty());  // nothing is sent on its own
    Form1->Button5Click();
    EXPECT_EQ(ui.frames(), Lines{"FF 01 01 50 52 "});

    // Closing the port while it waits for the device gives up on it.
    ui.sim.unplug();
    ASSERT_TRUE(closedAfterLoss());
    Form1->btn_closeClick();
    ui.sim.plugIn();
    ui.settle(1200);
    EXPECT_FALSE(port().Connected());
    ui.restart();
    EXPECT_TRUE(Form1->ReconnectAutomatically1->isChecked());
}

}  // namespace

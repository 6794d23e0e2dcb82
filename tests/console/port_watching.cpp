// The main window and the serial devices: the port list follows devices
// appearing and going (over a pretend sysfs and /dev) and remembers the chosen
// port by its path; the device behind the open port goes away and comes back
// (the simulated module's cable pulled and plugged in again).
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "console/PortList.h"
#include "console/Unit1.h"
#include "console/Widgets.h"
#include "link/TALVOR_comport.h"
#include "support/FakeDeviceTree.h"
#include "support/ui/UiHarness.h"

namespace {

class PortListTest : public ::testing::Test {
protected:
    void SetUp() override { SetPortFolders(tree.folders()); }
    void TearDown() override { SetPortFolders(PortFolders()); }
    Lines items() const {
        Lines out;
        for (int i = 0; i < Form1->cmb_port->count(); ++i)
            out.push_back(ToStd(Form1->cmb_port->itemText(i)));
        return out;
    }
    bool waitForItems(const Lines& expected) {
        return ui.waitFor([&] { return items() == expected; });
    }
    FakeDeviceTree tree;
    UiHarness ui;
};

TEST_F(PortListTest, FollowsDevicesAppearingAndGoingKeepingWhatTheOperatorShows) {
    tree.plug("ttyUSB1", "ftdi_sio", &kFtdi);
    ui.start();
    const std::string sim = ui.sim.devicePath();
    ASSERT_EQ(items(), (Lines{sim, tree.dev("ttyUSB1")}));
    const QString description = "FT232R USB UART \u2014 FTDI \u2014 A10K5XYZ (ftdi_sio)";
    EXPECT_EQ(Form1->cmb_port->itemData(1, Qt::ToolTipRole).toString(),
              description + "\n" + QString::fromStdString(tree.dev("serial/by-id/" + kFtdi.byId)));
    EXPECT_EQ(Form1->cmb_port->itemData(1, Qt::AccessibleDescriptionRole).toString(), description);

    Choose(Form1->cmb_port, 1);
    tree.plug("ttyACM0", "cdc_acm");
    ASSERT_TRUE(waitForItems({sim, tree.dev("ttyACM0"), tree.dev("ttyUSB1")}));
    EXPECT_EQ(ItemIndex(Form1->cmb_port), 2);
    // The chosen device goes: its name stays shown, and it is chosen again when back.
    tree.unplug("ttyUSB1");
    ASSERT_TRUE(waitForItems({sim, tree.dev("ttyACM0")}));
    EXPECT_EQ(ToStd(Form1->cmb_port->currentText()), tree.dev("ttyUSB1"));
    tree.plug("ttyUSB1", "ftdi_sio", &kFtdi);
    ASSERT_TRUE(waitForItems({sim, tree.dev("ttyACM0"), tree.dev("ttyUSB1")}));
    EXPECT_EQ(ItemIndex(Form1->cmb_port), 2);

    // Text being typed is left alone, cursor included.
    QLineEdit* edit = Form1->cmb_port->lineEdit();
    edit->setText("/dev/ttyU");
    edit->setCursorPosition(5);
    tree.unplug("ttyACM0");
    ASSERT_TRUE(waitForItems({sim, tree.dev("ttyUSB1")}));
    EXPECT_EQ(edit->text(), "/dev/ttyU");
    EXPECT_EQ(edit->cursorPosition(), 5);
    // The simulated module's device goes and comes back like any other.
    ui.sim.unplug();
    ASSERT_TRUE(waitForItems({tree.dev("ttyUSB1")}));
    ui.sim.plugIn();
    ASSERT_TRUE(waitForItems({sim, tree.dev("ttyUSB1")}));
}

TEST_F(PortListTest, ThePortIsRememberedByPathWhenTheListOrderChanges) {
    tree.plug("ttyUSB0", "ftdi_sio");
    tree.plug("ttyUSB1", "ftdi_sio", &kFtdi);
    ui.start();
    Choose(Form1->cmb_port, 2);
    EXPECT_NE(ui.iniText().find("cmb_port=2"), std::string::npos);
    EXPECT_NE(ui.iniText().find("port_path=" + tree.dev("ttyUSB1")), std::string::npos);

    tree.unplug("ttyUSB0");
    ui.restart();
    EXPECT_EQ(ToStd(Form1->cmb_port->currentText()), tree.dev("ttyUSB1"));
    // A path no longer present leaves the index to choose, as before.
    tree.unplug("ttyUSB1");
    tree.plug("ttyACM5", "cdc_acm");
    tree.plug("ttyACM6", "cdc_acm");
    ui.restart();
    EXPECT_EQ(ToStd(Form1->cmb_port->currentText()), tree.dev("ttyACM6"));
}

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

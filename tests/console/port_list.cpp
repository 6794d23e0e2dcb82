// The main window's port list follows devices appearing and going, over a
// pretend sysfs and /dev, and remembers the chosen port by its path.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>

#include "console/PortList.h"
#include "console/Unit1.h"
#include "console/Widgets.h"
#include "support/FakeDeviceTree.h"
#include "support/ui/UiHarness.h"

namespace {

using Lines = std::vector<std::string>;

const FakeUsb kFtdi{"FT232R USB UART",
                    "FTDI",
                    "A10K5XYZ",
                    "0403",
                    "6001",
                    "usb-FTDI_FT232R_USB_UART_A10K5XYZ-if00-port0"};

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
    // As the operator picks an item from the list.
    void choose(int index) {
        Form1->cmb_port->setCurrentIndex(index);
        emit Form1->cmb_port->activated(index);
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

    choose(1);
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
    choose(2);
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

}  // namespace

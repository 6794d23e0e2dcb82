// The main window's commands end to end against the simulated module: the
// bytes the module received and the exact log lines, tabs included.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "link/TALVOR_comport.h"
#include "support/ui/UiHarness.h"

namespace {

class MainWindowCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ui.start();
        ui.clearFrames();
    }
    UiHarness ui;
};

TEST_F(MainWindowCommands, FirmwareQueryOpensThePortAndQuotesTheVersion) {
    ui.sim.withModule([](SimulatedModule& m) { m.setFirmwareVersion("1.0"); });
    ASSERT_TRUE(Form1->btn_open->isVisibleTo(Form1));
    Form1->ReadFirmwareVersionn1Click();
    EXPECT_TRUE(com_form->comport1.Connected());
    EXPECT_FALSE(Form1->btn_open->isVisibleTo(Form1));
    EXPECT_TRUE(Form1->btn_close->isVisibleTo(Form1));
    ASSERT_EQ(ui.frames(), std::vector<std::string>{"FF 01 01 50 52 "});
    const auto log = ui.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "TX > Firmware\t\tFF 01 01 50 52 ");
    EXPECT_EQ(log[1], "RX > Firmware:\"1.0\"\tFF 01 04 50 31 2E 30 E4 ");
}

}  // namespace

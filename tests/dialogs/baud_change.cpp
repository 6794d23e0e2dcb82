// The baud rate dialog end to end: the module takes the new rate only after a
// reset, and the host must follow it there without touching the settings file.
#include <gtest/gtest.h>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/Unit7.h"
#include "link/TALVOR_comport.h"
#include "settings/SettingsFile.h"
#include "support/ui/UiHarness.h"

namespace {

void expectHostAt(TBaudRate rate, const char* text) {
    EXPECT_TRUE(com_form->comport1.Connected());
    EXPECT_EQ(com_form->comport1.BaudRate(), rate);
    EXPECT_EQ(Form1->cmb_baud->currentText(), text);
    EXPECT_EQ(Form7->cmb_baud->currentText(), text);
}

TEST(BaudChange, TheHostFollowsOnlyASuccessfulSetToTheRateTheResetModuleUses) {
    UiHarness ui;
    ui.start();
    Form1->SetBaudRate1Click();
    ui.sim.withModule([](SimulatedModule& m) { m.setFaults(Faults{false, false, "", true}); });
    SetItemIndex(Form7->cb_new, 2);
    Form7->Button1->click();  // the port is closed: opened at 19200 first
    EXPECT_EQ(ui.log(), (Lines{"TX > Set Baud\t\t\tFF 01 02 52 02 57 ",
                               "RX > Flash write Eror!\t\tFF 01 01 66 68 "}));
    expectHostAt(br19200, "19200");

    // Refused before the port is reopened at the (different) current rate.
    ui.clearFrames(), ui.clearLog();
    SetItemIndex(Form7->cmb_baud, 2);
    Form7->cb_new->setEditText("250000");
    Form7->Button1->click();
    EXPECT_EQ(ui.boxes.errors, Lines{"'250000' is not one of the listed baud rates"});
    EXPECT_TRUE(ui.frames().empty() && ui.log().empty());
    EXPECT_EQ(com_form->comport1.BaudRate(), br19200);

    ui.sim.withModule([](SimulatedModule& m) { m.setFaults(Faults{}); });
    SetItemIndex(Form7->cmb_baud, 1), SetItemIndex(Form7->cb_new, 4);
    Form7->Button1->click();
    EXPECT_EQ(ui.log(),
              (Lines{"TX > Set Baud\t\t\tFF 01 02 52 04 59 ", "RX > Success\t\tFF 01 01 99 9B ",
                     "Please reset module to communicate with the new baud rate"}));
    expectHostAt(br115200, "115200");
    EXPECT_EQ(TIniFile(SettingsPath()).ReadString("LAST", "cmb_baud", "unset"), "unset");

    ui.sim.powerCycle();
    ui.clearLog();
    Form1->ReadFirmwareVersionn1Click();
    EXPECT_EQ(ui.log().at(1).rfind("RX > Firmware:", 0), 0u) << ui.log().at(1);

    // At the old rate the module hears only noise.
    Form1->btn_closeClick();
    SetItemIndex(Form1->cmb_baud, 1);
    Form1->btn_openClick();
    ui.clearLog();
    const uint64_t ignored = ui.sim.ignoredInputBytes();
    Form1->ReadFirmwareVersionn1Click();
    EXPECT_EQ(ui.log().at(1), "***Timeout.No Response***");
    EXPECT_TRUE(ui.waitFor([&] { return ui.sim.ignoredInputBytes() > ignored; }));
}

}  // namespace

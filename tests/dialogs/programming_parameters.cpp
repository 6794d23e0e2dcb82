// The programming parameters dialog: default sets and the Set Param frame.
#include <gtest/gtest.h>

#include <QAction>

#include "console/Widgets.h"
#include "dialogs/Unit3.h"
#include "dialogs/Unit4.h"
#include "support/ui/UiHarness.h"

namespace {

using Lines = std::vector<std::string>;

TEST(ProgrammingParameters, DefaultSetsOfBothTagTypesLowBytesAndRefusedNonIntegers) {
    UiHarness ui;
    ui.start();
    Form3->ProgrammingParameters2->trigger();
    EXPECT_TRUE(Form4->isVisible());
    Form4->Button1->click();
    SetItemIndex(Form4->cmb_tag, 1);
    Form4->cmb_tagChange();
    Form4->Button1->click();
    EXPECT_EQ(ui.log(), (Lines{"TX >FF 01 06 40 64 C8 AA 32 60 AF \t\t\tSet Param",
                               "RX >FF 01 01 99 9B \t\t\t\tSuccess",
                               "TX >FF 01 06 40 64 C8 B9 3C 60 C8 \t\t\tSet Param",
                               "RX >FF 01 01 99 9B \t\t\t\tSuccess"}));

    // Only the low byte of a number goes out; a field that is no number sends nothing.
    ui.clearFrames();
    Form4->edt_wg->setText("256"), Form4->edt_sg->setText("-1"), Form4->edt_og->setText("300");
    Form4->Button1->click();
    Form4->edt_padf->setText("");
    Form4->Button1->click();
    EXPECT_EQ(ui.frames(), Lines{"FF 01 06 40 00 FF 2C 3C 60 0E "});
    EXPECT_EQ(ui.boxes.errors, Lines{"'' is not a valid integer value"});
}

}  // namespace

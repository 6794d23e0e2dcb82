// The programming parameters dialog: default sets and the Set Param frame.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "console/Widgets.h"
#include "dialogs/Unit3.h"
#include "dialogs/Unit4.h"
#include "support/ui/UiHarness.h"

namespace {

class ProgrammingParameters : public ::testing::Test {
protected:
    void SetUp() override {
        ui.start();
        ui.clearFrames();
    }
    void chooseTag(int index) {
        SetItemIndex(Form4->cmb_tag, index);
        Form4->cmb_tagChange();
    }
    UiHarness ui;
};

TEST_F(ProgrammingParameters, DefaultSetsAreSentAsTheModuleStoresThem) {
    Form3->ProgrammingParameters2->trigger();
    EXPECT_TRUE(Form4->isVisible());
    Form4->Button1->click();
    chooseTag(1);
    Form4->Button1->click();
    EXPECT_EQ(ui.frames(), (std::vector<std::string>{"FF 01 06 40 64 C8 AA 32 60 AF ",
                                                     "FF 01 06 40 64 C8 B9 3C 60 C8 "}));
    EXPECT_EQ(ui.log(),
              (std::vector<std::string>{"TX >FF 01 06 40 64 C8 AA 32 60 AF \t\t\tSet Param",
                                        "RX >FF 01 01 99 9B \t\t\t\tSuccess",
                                        "TX >FF 01 06 40 64 C8 B9 3C 60 C8 \t\t\tSet Param",
                                        "RX >FF 01 01 99 9B \t\t\t\tSuccess"}));
    ui.sim.withModule([](SimulatedModule& m) {
        EXPECT_EQ(m.config()[2], 185);
        EXPECT_EQ(m.config()[3], 60);
    });
}

TEST_F(ProgrammingParameters, ValuesAreCutToALowByteAndRefusedWhenNotIntegers) {
    Form4->edt_wg->setText("256");
    Form4->edt_sg->setText("-1");
    Form4->edt_og->setText("300");
    Form4->Button1->click();
    EXPECT_EQ(ui.frames(), std::vector<std::string>{"FF 01 06 40 00 FF 2C 32 60 04 "});

    ui.sim.withModule([](SimulatedModule& m) {
        Faults f;
        f.flashError = true;
        m.setFaults(f);
    });
    chooseTag(0);
    Form4->Button1->click();
    EXPECT_EQ(ui.log().back(), "RX >FF 01 01 66 68 \t\t\tUnrecognized Response");

    ui.clearLog();
    ui.clearFrames();
    Form4->edt_padf->setText("");
    Form4->Button1->click();
    EXPECT_EQ(ui.boxes.errors, std::vector<std::string>{"'' is not a valid integer value"});
    EXPECT_TRUE(ui.frames().empty());
    EXPECT_TRUE(ui.log().empty());
    chooseTag(0);
    EXPECT_EQ(Form4->edt_padf->text(), "96");
}

}  // namespace

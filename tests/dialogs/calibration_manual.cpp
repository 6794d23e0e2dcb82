// The calibration dialog's hand-driven parts: the set commands with their
// frames and log lines, picking a result line, and the settings section.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include "console/Widgets.h"
#include "dialogs/Unit2.h"
#include "support/ui/UiHarness.h"

namespace {

std::vector<std::string> valuesShown() {
    std::vector<std::string> v;
    for (QComboBox* c : {Form2->cmb_radf, Form2->cmb_a1, Form2->cmb_a2, Form2->cmb_a3,
                         Form2->cmb_g1, Form2->cmb_g2})
        v.push_back(ToStd(c->currentText()));
    return v;
}

void operatorPicks(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

class CalibrationManual : public ::testing::Test {
protected:
    void SetUp() override {
        ui.start();
        ui.clearFrames();
        ui.clearLog();
    }
    UiHarness ui;
};

TEST_F(CalibrationManual, SetAllSendsTheThreeSetCommandsFromTheValueSelectors) {
    SetItemIndex(Form2->cmb_g2, 1);  // "1.14"; the rest keep their defaults
    Form2->Button4->click();
    ASSERT_TRUE(ui.boxes.errors.empty()) << ui.boxes.errors.front();
    EXPECT_EQ(ui.frames(),
              (std::vector<std::string>{"FF 01 02 41 60 A4 ", "FF 01 06 81 02 03 03 03 03 96 ",
                                        "FF 01 03 53 1C D8 4B "}));
    EXPECT_EQ(ui.log(), (std::vector<std::string>{
                            "TX >Set RADF (60)\t\t\tFF 01 02 41 60 A4 ",
                            "RX > Success\t\tFF 01 01 99 9B ",
                            "TX >Set A1/A2/A3 (2,3,3)\t\tFF 01 06 81 02 03 03 03 03 96 ",
                            "RX > Success\t\tFF 01 01 99 9B ",
                            "TX >Set G1/G2 (24,1.14)\t\tFF 01 03 53 1C D8 4B ",
                            "RX > Success\t\tFF 01 01 99 9B ",
                        }));

    ui.clearLog();
    ui.sim.withModule([](SimulatedModule& m) {
        Faults f;
        f.flashError = true;
        m.setFaults(f);
    });
    Form2->Button1->click();
    EXPECT_EQ(ui.log().back(), "RX > Flash wRite Eror!\t\tFF 01 01 66 68 ");
}

TEST_F(CalibrationManual, ASelectorWithoutSelectionIsRefusedBeforeAnythingIsSent) {
    const struct {
        QComboBox* combo;
        QPushButton* button;
        const char* message;
    } rows[] = {
        {Form2->cmb_radf, Form2->Button1, "Please choose a value for RADF first."},
        {Form2->cmb_a3, Form2->Button2, "Please choose a value for A3 first."},
        {Form2->cmb_g1, Form2->Button3, "Please choose a value for G1 first."},
    };
    for (const auto& row : rows) {
        const int kept = row.combo->currentIndex();
        SetItemIndex(row.combo, -1);
        ui.boxes.clear();
        row.button->click();
        EXPECT_EQ(ui.boxes.errors, std::vector<std::string>{row.message});
        SetItemIndex(row.combo, kept);
    }
    EXPECT_TRUE(ui.frames().empty());
    EXPECT_TRUE(ui.log().empty());
}

TEST_F(CalibrationManual, PickingAResultLineSelectsItsValuesAndSendsNothing) {
    Form2->ListBox1->addItem("RADF:94   A1:3   A2:1   A3:2   G1:8   G2:48 ");
    Form2->ListBox1Click();
    EXPECT_EQ(ui.boxes.informations, std::vector<std::string>{"Nothnig is selected"});

    ui.boxes.clear();
    Form2->ListBox1->setCurrentRow(0);
    Form2->ListBox1Click();
    EXPECT_TRUE(ui.boxes.informations.empty());
    EXPECT_EQ(valuesShown(), (std::vector<std::string>{"94", "3", "1", "2", "8", "48"}));
    EXPECT_TRUE(ui.frames().empty());
    EXPECT_EQ(ui.iniText(), "");  // no change handler ran

    // A value that is missing, or is not an item, stops at its parameter;
    // the ones before it keep their new values.
    const struct {
        const char* line;
        const char* message;
        std::vector<std::string> shown;
    } rows[] = {
        {"RADF:   A1:2   A2:3   A3:3   G1:8   G2:24 ",
         "No such RADF parameter found!Unexpected Error",
         {"", "3", "1", "2", "8", "48"}},
        {"RADF:96   A1:   A2:3   A3:3   G1:8   G2:24 ",
         "No such A1 parameter found!Unexpected Error",
         {"96", "", "1", "2", "8", "48"}},
        {"RADF:97   A1:2   A2:3   A3:3   G1:7   G2:24 ",
         "No such G1 parameter found!Unexpected Error",
         {"97", "2", "3", "3", "", "48"}},
        {"RADF:98   A1:1   A2:1   A3:1   G1:1.46   G2:",
         "No such G2 parameter found!Unexpected Error",
         {"98", "1", "1", "1", "1.46", ""}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        Form2->apply_result_line("RADF:94   A1:3   A2:1   A3:2   G1:8   G2:48 ");
        ui.boxes.clear();
        Form2->apply_result_line(row.line);
        EXPECT_EQ(ui.boxes.informations, std::vector<std::string>{row.message});
        EXPECT_EQ(valuesShown(), row.shown);
    }

    ui.boxes.clear();
    Form2->apply_result_line("A1:2   A2:3");
    EXPECT_TRUE(ui.boxes.informations.empty());
    EXPECT_EQ(valuesShown()[0], "98");
}

TEST_F(CalibrationManual, SelectionsAreSavedOnEveryOperatorChangeAndSurviveARestart) {
    operatorPicks(Form2->cmb_radf_e, 8);
    operatorPicks(Form2->cmb_g2, 0);
    EXPECT_NE(ui.iniText().find("[Calibration]\n"
                                "RADF_Start=1\nRADF_Stop=8\nA1_Start=1\nA1_Stop=2\n"
                                "A2_Start=1\nA2_Stop=2\nA3_Start=1\nA3_Stop=2\n"
                                "G1_Start=3\nG1_Stop=6\nG2_Start=3\nG2_Stop=6\n"
                                "RADF=4\nA1=1\nA2=2\nA3=2\nG1=10\nG2=0\n"),
              std::string::npos)
        << ui.iniText();

    ui.restart();
    EXPECT_EQ(ToStd(Form2->cmb_radf_e->currentText()), "100");
    EXPECT_EQ(ToStd(Form2->cmb_g2->currentText()), "1");
    EXPECT_EQ(ToStd(Form2->cmb_g1->currentText()), "24");
    EXPECT_TRUE(ui.boxes.errors.empty());
}

TEST_F(CalibrationManual, StoredPositionsOutsideTheItemsAndNonNumbersOnLoad) {
    ui.stopWindows();
    ui.writeIni("[Calibration]\nRADF_Start=9\nA1_Start=-1\nA2_Start=x\nA3_Start=0\n");
    ui.start();
    EXPECT_EQ(Form2->cmb_radf_s->currentIndex(), -1);
    EXPECT_EQ(Form2->cmb_a1_s->currentIndex(), -1);
    EXPECT_EQ(ui.boxes.errors, std::vector<std::string>{"'x' is not a valid integer value"});
    // Loading stopped at A2_Start: the keys after it keep their defaults.
    EXPECT_EQ(Form2->cmb_a3_s->currentIndex(), 1);
}

}  // namespace

// The calibration dialog's hand-driven parts: the settings section, the set
// commands with their frames and log lines, and picking a result line.
#include <gtest/gtest.h>

#include <QListWidget>

#include "console/Widgets.h"
#include "dialogs/Unit2.h"
#include "support/ui/UiHarness.h"

namespace {

using Lines = std::vector<std::string>;

Lines valuesShown() {
    Lines v;
    for (QComboBox* c : {Form2->cmb_radf, Form2->cmb_a1, Form2->cmb_a2, Form2->cmb_a3,
                         Form2->cmb_g1, Form2->cmb_g2})
        v.push_back(ToStd(c->currentText()));
    return v;
}

TEST(CalibrationManual, SectionSurvivesARestartSetCommandsAndResultLinesSendOnlyWhatIsChosen) {
    UiHarness ui;
    ui.start();
    // Every operator change writes the whole section.
    for (auto [combo, index] : {std::pair{Form2->cmb_radf_e, 8}, std::pair{Form2->cmb_g2, 0}}) {
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
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

    // A set command needs a value in each of its selectors.
    ui.clearFrames(), ui.clearLog();
    const std::tuple<QComboBox*, QPushButton*, std::string> refused[] = {
        {Form2->cmb_radf, Form2->Button1, "RADF"},
        {Form2->cmb_a3, Form2->Button2, "A3"},
        {Form2->cmb_g1, Form2->Button3, "G1"}};
    for (const auto& [combo, button, name] : refused) {
        const int kept = combo->currentIndex();
        SetItemIndex(combo, -1);
        ui.boxes.clear();
        button->click();
        EXPECT_EQ(ui.boxes.errors, Lines{"Please choose a value for " + name + " first."});
        SetItemIndex(combo, kept);
    }
    ui.boxes.clear();
    SetItemIndex(Form2->cmb_g2, 1);  // "1.14"; the rest keep their defaults
    Form2->Button4->click();
    ASSERT_TRUE(ui.boxes.errors.empty()) << ui.boxes.errors.front();
    EXPECT_EQ(ui.frames(), (Lines{"FF 01 02 41 60 A4 ", "FF 01 06 81 02 03 03 03 03 96 ",
                                  "FF 01 03 53 1C D8 4B "}));
    const std::string ok = "RX > Success\t\tFF 01 01 99 9B ";
    EXPECT_EQ(ui.log(), (Lines{"TX >Set RADF (60)\t\t\tFF 01 02 41 60 A4 ", ok,
                               "TX >Set A1/A2/A3 (2,3,3)\t\tFF 01 06 81 02 03 03 03 03 96 ", ok,
                               "TX >Set G1/G2 (24,1.14)\t\tFF 01 03 53 1C D8 4B ", ok}));

    // Picking a result line selects its values and sends nothing.
    ui.clearFrames();
    const char* const picked = "RADF:94   A1:3   A2:1   A3:2   G1:8   G2:48 ";
    Form2->ListBox1->addItem(picked);
    Form2->ListBox1->setCurrentRow(0);
    Form2->ListBox1Click();
    EXPECT_EQ(valuesShown(), (Lines{"94", "3", "1", "2", "8", "48"}));
    EXPECT_TRUE(ui.frames().empty());
    // A value that is missing, or is not an item, stops at its parameter;
    // the ones before it keep their new values.
    const std::tuple<const char*, std::string, Lines> rows[] = {
        {"RADF:   A1:2   A2:3   A3:3   G1:8   G2:24 ", "RADF", {"", "3", "1", "2", "8", "48"}},
        {"RADF:97   A1:2   A2:3   A3:3   G1:7   G2:24 ", "G1", {"97", "2", "3", "3", "", "48"}},
        {"RADF:98   A1:1   A2:1   A3:1   G1:1.46   G2:", "G2", {"98", "1", "1", "1", "1.46", ""}},
    };
    for (const auto& [line, name, shown] : rows) {
        Form2->apply_result_line(picked);
        ui.boxes.clear();
        Form2->apply_result_line(line);
        EXPECT_EQ(ui.boxes.informations,
                  Lines{"No such " + name + " parameter found!Unexpected Error"});
        EXPECT_EQ(valuesShown(), shown) << line;
    }
}

}  // namespace

// Auto Calibrate and Re-Calibrate end to end against the simulated module:
// which combinations are tried, which commands reach the module, and what the
// result lists hold afterwards.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStatusBar>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/Unit2.h"
#include "support/ui/UiHarness.h"

namespace {

using Lines = std::vector<std::string>;

CalibrationSetting combo(uint8_t radf, uint8_t g1, uint8_t g2) { return {radf, 2, 3, 3, g1, g2}; }

// The command byte of each frame the module received, as "41 81 ".
std::string commandsOf(const Lines& frames) {
    std::string codes;
    for (const std::string& f : frames) codes += f.substr(9, 3);
    return codes;
}
Lines itemsOf(const QListWidget* list) {
    Lines items;
    for (int i = 0; i < list->count(); ++i) items.push_back(ToStd(list->item(i)->text()));
    return items;
}
// A result list replaces its memo once a run has been made.
bool listShown(const QListWidget* list, const QPlainTextEdit* memo) {
    return !list->isHidden() && memo->isHidden();
}

TEST(CalibrationRuns, RefusalsSendNothingAutoCalibrateFindsTheReadingSetReCalibrateNarrowsIt) {
    UiHarness ui;
    ui.start();
    ui.clearFrames(), ui.clearLog();
    Form2->ListBox1->addItem("RADF:96   A1:2   A2:3   A3:3   G1:8   G2:24 ");
    const std::tuple<QComboBox*, QComboBox*, std::string> rows[] = {
        {Form2->cmb_a1_s, Form2->cmb_a1_e, "A1"},
        {Form2->cmb_a2_s, Form2->cmb_a2_e, "A2"},
        {Form2->cmb_a3_s, Form2->cmb_a3_e, "A3"},
        {Form2->cmb_g1_s, Form2->cmb_g1_e, "G1"},
        {Form2->cmb_g2_s, Form2->cmb_g2_e, "G2"}};
    // All five pairs broken: each click reports the first, which is then mended.
    for (const auto& [start, end, name] : rows) SetItemIndex(start, 2), SetItemIndex(end, 0);
    for (const auto& [start, end, name] : rows) {
        ui.boxes.clear();
        Form2->Button13->click();
        EXPECT_EQ(ui.boxes.informations,
                  Lines{name + " End can not be smaller than " + name + " Start"});
        SetItemIndex(end, 2);
    }
    SetItemIndex(Form2->cmb_g2_s, -1);
    ui.boxes.clear();
    Form2->Button13->click();
    EXPECT_EQ(ui.boxes.errors, Lines{"Please choose a value for G2 Start first."});

    // Each attempt clicks the main window's Start Read, which needs a read type.
    SetItemIndex(Form2->cmb_g2_s, 2);
    Form1->rdb_read->SetItemIndex(-1);
    for (QPushButton* run : {Form2->Button13, Form2->Button5}) {
        ui.boxes.clear();
        run->click();
        EXPECT_EQ(ui.boxes.errors, Lines{"Please choose a Read Type first."});
    }
    EXPECT_EQ(Form2->ListBox1->count(), 1);
    EXPECT_TRUE(listShown(Form2->ListBox1, Form2->Memo1));

    // An RADF End below its Start tries nothing, and the earlier results go.
    Form1->rdb_read->SetItemIndex(1), ui.boxes.clear();
    SetItemIndex(Form2->cmb_radf_s, 4), SetItemIndex(Form2->cmb_radf_e, 1);  // "96", "93"
    Form2->Button13->click();
    EXPECT_TRUE(ui.boxes.errors.empty());
    EXPECT_TRUE(ui.frames().empty());  // nor did any refusal above
    EXPECT_EQ(Form2->ListBox1->count(), 0);
    EXPECT_TRUE(listShown(Form2->ListBox1, Form2->Memo1));
    Form2->Button5->click();
    EXPECT_EQ(ui.frames(), Lines{"FF 01 01 51 53 "});
    EXPECT_TRUE(listShown(Form2->ListBox2, Form2->Memo2));

    // RADF 95..96, A 2/3/3, G1 "8".."24", G2 "24": six combinations, four of them read.
    ui.sim.withModule([](SimulatedModule& m) {
        m.setTagInField(true);
        m.setReadableSettings({combo(95, 0x18, 0x1C), combo(95, 0x08, 0x1C), combo(96, 0x18, 0x1C),
                               combo(96, 0x1C, 0x1C)});
    });
    SetItemIndex(Form2->cmb_radf_s, 3), SetItemIndex(Form2->cmb_radf_e, 4);
    for (QComboBox* c : {Form2->cmb_a1_s, Form2->cmb_a1_e}) SetItemIndex(c, 1);
    for (QComboBox* c : {Form2->cmb_a2_s, Form2->cmb_a2_e, Form2->cmb_a3_s, Form2->cmb_a3_e})
        SetItemIndex(c, 2);
    SetItemIndex(Form2->cmb_g1_s, 3), SetItemIndex(Form2->cmb_g1_e, 5);
    SetItemIndex(Form2->cmb_g2_s, 5), SetItemIndex(Form2->cmb_g2_e, 5);
    ui.clearFrames(), ui.clearLog();
    Form2->Button13->click();
    ASSERT_TRUE(ui.boxes.errors.empty()) << ui.boxes.errors.front();
    const Lines found{"RADF:95   A1:2   A2:3   A3:3   G1:8   G2:24 ",
                      "RADF:95   A1:2   A2:3   A3:3   G1:16   G2:24 ",
                      "RADF:96   A1:2   A2:3   A3:3   G1:8   G2:24 ",
                      "RADF:96   A1:2   A2:3   A3:3   G1:24   G2:24 "};
    EXPECT_EQ(itemsOf(Form2->ListBox1), found);
    EXPECT_TRUE(listShown(Form2->ListBox1, Form2->Memo1));
    EXPECT_EQ(ToStd(Form2->StatusBar1->currentMessage()),
              " RADF: 96 AMP1: 2 AMP2: 3 LPF: 3 G1: 24 G2: 24");
    // Set RADF once per RADF value, Set A1/A2/A3 once per triple, then
    // Set G1/G2 and Start Read for each combination.
    const Lines frames = ui.frames();
    ASSERT_EQ(commandsOf(frames), "41 81 53 10 53 10 53 10 41 81 53 10 53 10 53 10 ");
    EXPECT_EQ(frames[4], "FF 01 03 53 08 1C 7B ");
    EXPECT_EQ(ui.log().at(4), "TX >Set G1/G2 /8,24\t\tFF 01 03 53 18 1C 8B ");

    // Only two of the four read again; each entry is set and read, then Reset.
    ui.sim.withModule([](SimulatedModule& m) {
        m.setReadableSettings({combo(95, 0x08, 0x1C), combo(96, 0x1C, 0x1C)});
    });
    ui.clearFrames();
    Form2->Button5->click();
    ASSERT_TRUE(ui.boxes.errors.empty()) << ui.boxes.errors.front();
    EXPECT_EQ(itemsOf(Form2->ListBox2), (Lines{found[1], found[3]}));
    EXPECT_TRUE(listShown(Form2->ListBox2, Form2->Memo2));
    EXPECT_EQ(itemsOf(Form2->ListBox1), found);
    const Lines recal = ui.frames();
    ASSERT_EQ(commandsOf(recal), "41 81 53 10 41 81 53 10 41 81 53 10 41 81 53 10 51 ");
    EXPECT_EQ(recal[2], "FF 01 03 53 18 1C 8B ");  // "8" taken from the 12-entry table
}

// QAccessible's events reach no one without a desktop bridge (the offscreen
// platform has none), so the name is read from the accessible interface each
// time the status line changes, while the run still blocks the window.
TEST(CalibrationRuns, TheStatusLineIsReadableThroughAccessibilityAfterEachAttempt) {
    UiHarness ui;
    ui.start();
    ui.sim.withModule([](SimulatedModule& m) {
        m.setTagInField(true);
        m.setEverySettingReadable();
    });
    // RADF 96, A 2/3/3, G1 "24".."48", G2 "24": two attempts.
    SetItemIndex(Form2->cmb_radf_s, 4), SetItemIndex(Form2->cmb_radf_e, 4);
    SetItemIndex(Form2->cmb_a1_s, 1), SetItemIndex(Form2->cmb_a1_e, 1);
    for (QComboBox* c : {Form2->cmb_a2_s, Form2->cmb_a2_e, Form2->cmb_a3_s, Form2->cmb_a3_e})
        SetItemIndex(c, 2);
    SetItemIndex(Form2->cmb_g1_s, 5), SetItemIndex(Form2->cmb_g1_e, 6);
    SetItemIndex(Form2->cmb_g2_s, 5), SetItemIndex(Form2->cmb_g2_e, 5);
    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(Form2->StatusBar1);
    ASSERT_NE(status, nullptr);
    std::vector<QString> names;
    QObject::connect(Form2->StatusBar1, &QStatusBar::messageChanged, Form2->StatusBar1,
                     [&] { names.push_back(status->text(QAccessible::Name)); });
    Form2->Button13->click();
    const QString last = " RADF: 96 AMP1: 2 AMP2: 3 LPF: 3 G1: 48 G2: 24";
    EXPECT_EQ(names,
              (std::vector<QString>{" RADF: 96 AMP1: 2 AMP2: 3 LPF: 3 G1: 24 G2: 24", last}));
    EXPECT_EQ(status->text(QAccessible::Name), last);
}

}  // namespace

// Tools > Save Module Profile… and Apply Module Profile… against the simulated module.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <algorithm>

#include "console/ProfileFileChooser.h"
#include "console/Unit1.h"
#include "support/ui/UiHarness.h"

TEST(ModuleProfileMenu, SavesThenShowsTheDifferencesAndAppliesWhatItSavedWithVerification) {
    UiHarness ui;
    ui.start();
    const QList<QAction*> tools = Form1->Tools1->actions();
    ASSERT_GE(tools.size(), 4);
    EXPECT_EQ(tools[tools.size() - 4]->objectName(), "ReconnectAutomatically1");
    EXPECT_TRUE(tools[tools.size() - 3]->isSeparator());
    EXPECT_EQ(tools.back()->text(), "Apply Module Profile…");

    const std::string file = ui.folder.file("saved.profile");
    SetProfileFileChooser([&](bool) { return file; });
    Form1->SaveModuleProfile1Click();
    EXPECT_EQ(ui.log().back(), "Module profile saved to " + file);

    ui.sim.withModule([](SimulatedModule& m) {
        auto b = m.config();
        b[5] = 94, b[38] = 0x42;
        m.setConfig(b);
    });
    ui.boxes.answers = {false};
    ui.clearFrames();
    Form1->ApplyModuleProfile1Click();
    ASSERT_EQ(ui.boxes.questions.size(), 1u);
    EXPECT_NE(ui.boxes.questions[0].find(
                  "RADF: profile 96, module 94\nSlave Address: profile 41, module 42\n"),
              std::string::npos)
        << ui.boxes.questions[0];
    EXPECT_EQ(ui.frames().size(), 1u) << "only Read Config before the answer";

    Form1->ApplyModuleProfile1Click();  // answered Yes
    const auto log = ui.log();
    EXPECT_EQ(log.back(), "Module profile verified: every field reads back equal");
    EXPECT_NE(std::find(log.begin(), log.end(), "TX > Stop Read\t\tFF 01 01 12 14 "), log.end());
    ui.sim.withModule([](SimulatedModule& m) {
        EXPECT_EQ(m.config()[5], 96);
        EXPECT_EQ(m.config()[38], 0x41);
    });
    SetProfileFileChooser(nullptr);
}

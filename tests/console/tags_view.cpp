// The Tags tab: every tag frame counted once, one row per tag, while the log
// keeps its own line for each frame.
#include <gtest/gtest.h>

#include <QTabWidget>
#include <QTableView>
#include <fstream>
#include <sstream>

#include "console/TagsView.h"
#include "console/Unit1.h"
#include "console/Widgets.h"
#include "support/ui/UiHarness.h"

namespace {

// Tag frames (reply code 0x10) the log shows, also one that came while a
// command waited for its answer and was logged as unrecognised.
size_t tagLines(const std::vector<std::string>& log) {
    size_t n = 0;
    for (const auto& line : log) {
        const size_t frame = line.find("FF 01 ");
        n += line.rfind("RX > ", 0) == 0 && frame != std::string::npos &&
                     line.compare(frame + 9, 3, "10 ") == 0
                 ? 1
                 : 0;
    }
    return n;
}

TEST(TagsView, RepeatedFramesAreOneRowCountedAsTheLogShowsThem) {
    UiHarness ui;
    ui.sim.withModule([](SimulatedModule& m) {
        m.setAutoRepeatMs(10);
        m.setTagInField(true);
    });
    ui.start();
    TagsView* tags = Form1->TagsView1;
    Form1->rdb_auto->SetItemIndex(0);
    Form1->Button17Click();  // auto mode, EM4100 decoded
    ASSERT_TRUE(
        ui.waitFor([&] { return tags->Table().Size() == 1 && tags->Table().Row(0).count >= 20; }));
    Form1->Button2Click();             // Stop Read
    Form1->rdb_read->SetItemIndex(2);  // EM4100 raw: the same tag
    Form1->Button4Click();
    ASSERT_TRUE(ui.waitFor([&] { return tags->Table().Row(0).tag.readType == 2; }));
    // The hidden tab's count follows; its table catches up once shown.
    ASSERT_TRUE(ui.waitFor([&] { return ToStd(Form1->LogTabs->tabText(1)) == "Tags (1)"; }));
    ui.settle(100);
    Form1->show();
    Form1->LogTabs->setCurrentIndex(1);

    ASSERT_EQ(tags->tbl_tags->model()->rowCount(), 1);
    EXPECT_EQ(tags->Table().Row(0).count, tagLines(ui.log()));
    const std::string csv = ui.folder.file("tags.csv");
    ASSERT_EQ(tags->ExportCsv(csv), "");
    std::ifstream in(csv);
    std::string header, row;
    std::getline(in, header), std::getline(in, row);
    EXPECT_EQ(row.rfind("1A2B3C4D5E,0725372254,\"060,19806\",," +
                            std::to_string(tags->Table().Row(0).count) + ",EM4100 raw,",
                        0),
              0u)
        << row;

    tags->btn_tags_clear->click();
    EXPECT_EQ(tags->tbl_tags->model()->rowCount(), 0);
    EXPECT_EQ(ToStd(Form1->LogTabs->tabText(1)), "Tags (0)");
}

}  // namespace

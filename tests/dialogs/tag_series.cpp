// Programming a series of tags end to end against the simulated module, blank
// T5557s swapped in one after another, and the record it leaves.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <fstream>
#include <sstream>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/SeriesDialog.h"
#include "dialogs/Unit3.h"
#include "support/ui/UiHarness.h"

namespace {

using Lines = std::vector<std::string>;

Lines fileLines(const std::string& path) {
    std::ifstream in(path);
    Lines lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string hex8(uint32_t w) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", w);
    return text;
}

TEST(TagSeries, FiveTagsOneRemovedMidWayOneAlreadyWrittenAndARecordOfWhatTheyHold) {
    UiHarness ui;
    ui.sim.withModule([](SimulatedModule& m) { m.setTagInField(true); });
    ui.start();
    Form1->btn_openClick();
    SetItemIndex(Form3->cmb_tag, 1);  // T5557
    SeriesDialog* s = Form3->Series;
    s->SetClock([] { return int64_t{1700000000000}; });
    const std::string recordPath = ui.folder.file("record.csv");
    s->edt_series_start->setText("060,19806");
    s->edt_series_count->setText("5");
    s->edt_series_record->setText(FromStd(recordPath));
    s->btn_series_start->click();
    ASSERT_TRUE(s->Running()) << (ui.boxes.errors.empty() ? "" : ui.boxes.errors[0]);

    auto placeBlank = [&ui] { ui.sim.withModule([](SimulatedModule& m) { m.swapInBlankTag(); }); };
    std::vector<std::array<uint32_t, 8>> tags;  // what each verified tag holds
    auto heldNow = [&ui] {
        std::array<uint32_t, 8> blocks{};
        ui.sim.withModule([&](SimulatedModule& m) { blocks = m.tag().blocks; });
        return blocks;
    };
    for (int n = 0; n < 5; ++n) {
        SCOPED_TRACE(n);
        placeBlank();
        if (n == 2) {
            // Tag 3 leaves before the write: recorded as failed; the series waits for it.
            ui.sim.withModule([](SimulatedModule& m) { m.setTagInField(false); });
            s->btn_series_write->click();
            EXPECT_EQ(s->Current(), 2u);
            EXPECT_EQ(ToStd(s->btn_series_write->text()), "Retry");
            ui.sim.withModule([](SimulatedModule& m) { m.setTagInField(true); });
        }
        if (n == 3) {
            // Tag 2 placed again: recognised, and kept when the operator says no.
            ui.sim.withModule([&](SimulatedModule& m) { m.tag().blocks = tags[1]; });
            ui.boxes.answers = {false};
            s->btn_series_write->click();
            EXPECT_EQ(ui.boxes.questions.size(), 1u);
            EXPECT_EQ(heldNow(), tags[1]);
            EXPECT_EQ(s->Current(), 3u);
            placeBlank();
        }
        s->btn_series_write->click();
        EXPECT_EQ(s->Current(), static_cast<size_t>(n + 1));
        tags.push_back(heldNow());
    }
    EXPECT_FALSE(s->Running());
    EXPECT_EQ(s->prg_series->value(), 5);
    EXPECT_EQ(ui.boxes.questions,
              Lines{"This tag already holds 00003C4D5F (060,19807), written as tag 2 of this "
                    "series. Overwrite it with 00003C4D61 (060,19809)?"});

    // One line per attempt, each naming the blocks as the tag now holds them.
    const Lines record = fileLines(recordPath);
    ASSERT_EQ(record.size(), 7u);
    EXPECT_EQ(record[0], "time,id,outcome,blocks written");
    const std::string when = s->Ids().empty() ? "" : record[1].substr(0, record[1].find(','));
    EXPECT_EQ(when.rfind("2023-11-1", 0), 0u) << when;
    EXPECT_EQ(record[3].substr(when.size()),
              ",00003C4D60,\"write failed: block 1 was not accepted (is the tag in the field, "
              "and not protected?)\",");
    const size_t verifiedLines[] = {1, 2, 4, 5, 6};
    for (size_t t = 0; t < 5; ++t) {
        const auto& b = tags[t];
        EXPECT_EQ(record[verifiedLines[t]].substr(when.size()),
                  "," + Em4100Hex(s->Ids()[t]) + ",verified,1:" + hex8(b[1]) + " 2:" + hex8(b[2]) +
                      " 0:" + hex8(b[0]));
        EXPECT_EQ(b[0], 0x00148040u);
    }
}

TEST(TagSeries, AFileWithABadLineIsRefusedBeforeAnythingIsSent) {
    UiHarness ui;
    ui.start();
    SeriesDialog* s = Form3->Series;
    const std::string list = ui.folder.file("ids.csv");
    std::ofstream(list) << "1A2B3C4D5E\n1A2B3C4D5F\n1A2B3C4D\n";
    s->edt_series_file->setText(FromStd(list));
    s->rdb_series_file->setChecked(true);
    s->btn_series_start->click();
    EXPECT_EQ(ui.boxes.errors,
              Lines{"line 3: '1A2B3C4D' is not an EM4100 ID: give 10 hexadecimal digits "
                    "(1A2B3C4D5E) or facility,card in decimal (060,19806)"});
    EXPECT_FALSE(s->Running());
    ui.settle(50);
    EXPECT_TRUE(ui.frames().empty());
}

}  // namespace

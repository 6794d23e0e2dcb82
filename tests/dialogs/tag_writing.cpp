// EM4100 IDs composed onto a transponder, written and read back, one tag or a
// series of them, end to end against the simulated module's programmable
// T5557 (blank ones swapped in one after another), and the record a series
// leaves.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <fstream>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/SeriesDialog.h"
#include "dialogs/Unit3.h"
#include "support/ui/UiHarness.h"

namespace {

std::string fields(int first, int last) {
    std::string out;
    for (int i = first; i <= last; ++i) out += ToStd(Form3->hex[static_cast<size_t>(i)]->text());
    return out;
}

std::string status() { return ToStd(Form3->lbl_verify_status->text()); }

// The command bytes and data of each frame the module received, without checksums.
Lines commands(UiHarness& ui) {
    Lines out;
    for (const std::string& f : ui.frames()) out.push_back(f.substr(9, f.size() - 9 - 4));
    return out;
}

TEST(Em4100Composition, TheFourChoicesBlock0AndTheStreamInBlocks1And2) {
    UiHarness ui;
    ui.start();
    const struct {
        int typeBefore;  // position in the transponder list
        const char *id, *typeAfter, *block0, *blocks12;
    } rows[] = {
        {2, "1A2B3C4D5E", "T5557", "00148040", "FF8E85B9B09DABBE"},  // T5551 becomes T5557
        {0, "0000000000", "Q5 ( T5555 )", "6001F004", "FF80000000000000"},
        {1, " 01 02 03 04 05", "T5557", "00148040", "FF8060280C048142"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.id);
        SetItemIndex(Form3->cmb_tag, r.typeBefore);
        SetItemIndex(Form3->cmb_mod, 1), SetItemIndex(Form3->cmb_pass, 1);
        Form3->compose_block0();
        Form3->edt_em4100->setText(r.id);
        Form3->btn_compose_em4100Click();
        EXPECT_EQ(ToStd(Form3->cmb_tag->currentText()), r.typeAfter);
        EXPECT_EQ(ToStd(Form3->cmb_mod->currentText()), "Manchester RF/64");
        EXPECT_EQ(ToStd(Form3->cmb_pass->currentText()), "OFF");
        EXPECT_EQ(ToStd(Form3->cmb_max->currentText()), "2");
        EXPECT_EQ(fields(1, 4), r.block0);
        EXPECT_EQ(fields(5, 12), r.blocks12);
    }
    // Refused before anything changes or is sent: a T5552, an ID that is not one.
    Form1->btn_openClick();
    ui.clearFrames();
    SetItemIndex(Form3->cmb_tag, 3), Form3->compose_block0();
    Form3->btn_compose_em4100->click();
    Form3->edt_em4100->setText("1,70000");
    SetItemIndex(Form3->cmb_tag, 1), Form3->compose_block0();
    Form3->btn_compose_em4100->click();
    EXPECT_EQ(ui.boxes.errors, (Lines{"A T5552 reads RF/32 only and cannot send an EM4100 ID "
                                      "(RF/64): choose Q5 or T5557.",
                                      "card number 70000 is beyond 65535"}));
    EXPECT_EQ(fields(5, 12), "FF8060280C048142");
    ui.settle(50);
    EXPECT_TRUE(ui.frames().empty());
}

TEST(WriteAndVerify, WrittenThenReadBackAndALostWriteIsNeverCalledVerified) {
    UiHarness ui;
    ui.sim.withModule([](SimulatedModule& m) {
        m.swapInBlankTag();
        m.setTagInField(true);
    });
    ui.start();
    Form1->btn_openClick();
    ui.clearFrames(), ui.clearLog();
    SetItemIndex(Form3->cmb_tag, 1);  // T5557
    Form3->edt_em4100->setText("1A2B3C4D5E");
    Form3->btn_compose_em4100->click();
    Form3->btn_write_verify->click();
    // Data blocks, Block0 last, then an EM4100 decoded One Shot Read.
    EXPECT_EQ(commands(ui), (Lines{"20 01 FF 8E 85 B9", "20 02 B0 9D AB BE", "20 00 00 14 80 40",
                                   "11 03 01 01"}));
    const std::string verified = "Verified: EM4100 1A2B3C4D5E (0725372254, 060,19806)";
    EXPECT_EQ(status(), verified);
    const Lines log = ui.log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 2], "RX > FF 01 06 10 1A 2B 3C 4D 5E 43 ");
    EXPECT_EQ(log.back(), "Verify > " + verified);
    EXPECT_EQ(Form1->rdb_read->ItemIndex(), 1);  // the main window's choice is left alone

    // The module says success, the tag keeps its old block 1: the new ID never reads back.
    ui.sim.withModule([](SimulatedModule& m) { m.loseNextWrite(); });
    Form3->edt_em4100->setText("0102030405");
    Form3->btn_compose_em4100->click();
    Form3->btn_write_verify->click();
    EXPECT_EQ(status().rfind("Not verified: nothing read back", 0), 0u) << status();
    ui.sim.withModule([](SimulatedModule& m) {
        EXPECT_EQ(m.tag().blocks[1], 0xFF8E85B9u);
        EXPECT_EQ(m.tag().blocks[2], 0x0C048142u);
    });
}

TEST(WriteAndVerify, RawBlocksAreComparedBlockByBlockOrNotCheckedWhenTheReadCannotFindThem) {
    UiHarness ui;
    ui.sim.withModule([](SimulatedModule& m) {
        m.swapInBlankTag();
        m.tag().blocks[1] = 0x52580000;
        m.setTagInField(true);
    });
    ui.start();
    Form1->btn_openClick();
    // Track only 52 58; T5557, RF/64, no protection, max block 2; raw data.
    ui.sim.withModule([](SimulatedModule& m) {
        auto c = m.config();
        c[32] = 2;
        m.setConfig(c);
    });
    SetItemIndex(Form3->cmb_tag, 1), SetItemIndex(Form3->cmb_mod, 0);
    SetItemIndex(Form3->cmb_pass, 0), SetItemIndex(Form3->cmb_max, 1);
    Form3->compose_block0();
    const char* data[] = {"52", "58", "AA", "AA", "01", "02", "03", "04"};
    for (int i = 0; i < 8; ++i) Form3->hex[static_cast<size_t>(5 + i)]->setText(data[i]);

    ui.sim.withModule([](SimulatedModule& m) { m.loseNextWrite(); });
    ui.clearFrames();
    Form3->btn_write_verify->click();
    EXPECT_EQ(commands(ui), (Lines{"70", "20 01 52 58 AA AA", "20 02 01 02 03 04",
                                   "20 00 00 14 80 40", "11 01 02 01"}));
    EXPECT_EQ(status(), "Not verified: block 1 read back 52580000, expected 5258AAAA");
    Form3->btn_write_verify->click();
    EXPECT_EQ(status(), "Verified: blocks 1 to 2");

    // Block 1 no longer starts with the tracked bytes: written, not checked.
    Form3->hex[5]->setText("00");
    ui.clearFrames();
    Form3->btn_write_verify->click();
    EXPECT_EQ(commands(ui).size(), 4u);  // Read Config and three blocks, no read-back
    EXPECT_EQ(status(),
              "Written, but cannot verify: block 1 does not start with the module's tracked bytes "
              "52 58, so a Byte Track read cannot find the tag");
}

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

// The tag programming dialog: the Block0 word from its four choices, writing
// blocks end to end against the simulated module (frames, exact log lines,
// the poll limit around each exchange), its fields as the operator uses them,
// and the programming parameters dialog it opens.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QRadioButton>
#include <QTest>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/Block0.h"
#include "dialogs/Unit3.h"
#include "dialogs/Unit4.h"
#include "link/TALVOR_comport.h"
#include "support/ui/UiHarness.h"

namespace {

using Choice = std::optional<int>;
const std::string kSuccess = "RX >FF 01 01 99 9B \t\t\t Success";

// What the module makes of each word is checked with the simulated module's own tests.
TEST(Block0Word, WorkedValuesAndNothingGuessedFromAnIncompleteChoice) {
    // List text, modulation, protection, max block: the word.
    const std::tuple<const char*, Choice, bool, Choice, std::optional<uint32_t>> rows[] = {
        {"Q5 ( T5555 )", kModulationRF64, false, 7, 0x6001F00E},
        {"Q5 ( T5555 )", kModulationRF32, true, 1, 0x6000FC02},
        {"T5557", kModulationRF64, false, 7, 0x001480E0},
        {"T5557", kModulationRF32, true, 7, 0x000882F0},
        {"T5551", kModulationRF32, true, 7, 0x000882F0},
        {"T5552", kModulationRF64, true, 7, 0x0000018E},  // modulation and protection ignored
        {"T5552", std::nullopt, false, 3, 0x00000186},
        // Nothing is guessed from an incomplete choice.
        {"", kModulationRF64, false, 7, std::nullopt},
        {"Q5 ( T5555 )", kModulationRF64, false, std::nullopt, std::nullopt},
        {"T5557", std::nullopt, false, 7, std::nullopt},
        {"T5551", std::nullopt, false, 7, std::nullopt},
    };
    for (const auto& [text, modulation, protection, maxBlock, word] : rows)
        EXPECT_EQ(Block0Word({TagTypeFromText(text), modulation, protection, maxBlock}), word)
            << text << ", modulation " << modulation.value_or(-1) << ", max "
            << maxBlock.value_or(-1);
}

TEST(BlockWrites, WritesWithAndWithoutPasswordTheWarningAndRefusalsThatSendNothing) {
    UiHarness ui;
    ui.sim.withModule([](SimulatedModule& m) { m.setTagInField(true); });
    ui.start();
    ui.clearFrames(), ui.clearLog();
    // Answers later than the normal limit waits, well within the programming one.
    Faults slow;
    slow.answerDelayMs = 500;
    ui.sim.withModule([&](SimulatedModule& m) { m.setFaults(slow); });
    Form3->Button[1]->click();
    Form3->Button[4]->click();
    EXPECT_EQ(ui.frames(),
              (Lines{"FF 01 06 20 00 60 01 F0 0E 86 ", "FF 01 06 20 03 03 03 03 03 36 "}));
    EXPECT_EQ(ui.log(),
              (Lines{"TX >FF 01 06 20 00 60 01 F0 0E 86 \tProgram Block0 with data: 60 01 F0 0E",
                     kSuccess,
                     "TX >FF 01 06 20 03 03 03 03 03 36 \tProgram Block3 with data: 03 03 03 03",
                     kSuccess}));
    EXPECT_EQ(PollLimit, kNormalPollLimit);

    // Password protection on: a notice, then a warning; declined, Program All
    // goes on without block 0.
    ui.sim.withModule([](SimulatedModule& m) { m.setFaults(Faults{}); });
    ui.clearFrames(), ui.clearLog();
    SetItemIndex(Form3->cmb_pass, 1), Form3->cmb_passChange();
    ui.boxes.answers = {false, false};
    Form3->Button[1]->click();
    EXPECT_EQ(ui.boxes.captions, (Lines{"Tag Programming", "UYARI"}));
    EXPECT_TRUE(ui.frames().empty() && ui.log().empty());
    Form3->Button[9]->click();
    std::string written;
    for (const std::string& frame : ui.frames()) written += frame.substr(9, 6);
    EXPECT_EQ(written, "20 01 20 02 20 03 20 04 20 05 20 06 20 07 ");
    ui.clearFrames();
    ui.boxes.answers = {true};
    Form3->Button[1]->click();
    EXPECT_EQ(ui.frames(), Lines{"FF 01 06 20 00 60 01 FC 0E 92 "});

    // A protected transponder takes only its password.
    ui.sim.withModule([](SimulatedModule& m) {
        m.tag().blocks[0] = 0x000882F0;
        m.tag().blocks[7] = 0x11223344;
    });
    Form3->hex[9]->setText("A1");
    Form3->Button[3]->click();
    EXPECT_EQ(ui.log().back(), "RX >FF 01 01 66 68 \t\t\tUnrecognized Response");
    ui.clearFrames(), ui.clearLog();
    Form3->cb_pass->setChecked(true);
    Form3->Edit9->setText("11"), Form3->Edit10->setText("22"), Form3->Edit11->setText("33");
    Form3->Edit12->setText("445");  // only the first two digits make the byte
    Form3->Button[3]->click();
    EXPECT_EQ(ui.frames(), Lines{"FF 01 0A 23 02 A1 02 02 02 11 22 33 44 81 "});
    EXPECT_EQ(ui.log(), (Lines{"TX >FF 01 0A 23 02 A1 02 02 02 11 22 33 44 81 \tProgram Block2 "
                               "with data: A1 02 02 02 with password:11 22 33 445",
                               kSuccess}));

    // An empty data or password byte is refused before the port is opened;
    // a port error ends Program All at its first block. Either way nothing is
    // sent and the normal poll limit is back.
    Form1->btn_closeClick(), ui.clearFrames(), ui.clearLog();
    Form3->hex[29]->setText("");
    Form3->Button[8]->click();
    Form3->hex[29]->setText("00"), Form3->Edit11->setText("");
    Form3->Button[8]->click();
    EXPECT_EQ(ui.boxes.errors, Lines(2, "'' is not a valid hexadecimal value"));
    EXPECT_FALSE(com_form->comport1.Connected());
    ui.boxes.clear();
    Form3->Edit11->setText("33");
    Form1->cmb_port->setEditText("/dev/talvor-no-such-port");
    Form3->Button[9]->click();
    EXPECT_EQ(ui.boxes.errors.size(), 1u);
    EXPECT_TRUE(ui.frames().empty() && ui.log().empty());
    EXPECT_EQ(PollLimit, kNormalPollLimit);
}

TEST(ProgrammingFields, BothEntryModesFollowEachOtherAndTheSectionSurvivesARestart) {
    UiHarness ui;
    ui.start();
    ShowDialog(Form3);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form3));
    const auto type = [&ui](QLineEdit* field, const char* keys) {
        TypeInto(ui, field, keys, Form3->Button[9]);
    };
    type(Form3->hex[5], "xa");  // the filter drops x
    EXPECT_EQ(Form3->hex[5]->text(), "0a");
    EXPECT_EQ(Form3->asc[5]->text(), QString(QChar(0x0A)));
    Form3->rdb_ascii->click();
    EXPECT_FALSE(Form3->hex[5]->isEnabled());
    EXPECT_FALSE(Form3->asc[1]->isEnabled());  // Block0 is always composed
    type(Form3->asc[7], "Z");
    EXPECT_EQ(Form3->hex[7]->text(), "5A");

    SetItemIndex(Form3->cmb_tag, 1), SetItemIndex(Form3->cmb_mod, 1);
    SetItemIndex(Form3->cmb_max, 2), Form3->cmb_tagChange();
    Form3->cb_pass->setChecked(true);
    Form3->Edit12->setText("9A"), Form3->hex[32]->setText("9A"), Form3->hex[5]->setText("4");
    QTest::keyClick(Form3, Qt::Key_Escape);  // closes without a close event
    ui.restart();
    EXPECT_TRUE(Form3->Edit12->isEnabled());  // the loaded check state enables the fields
    EXPECT_EQ(Form3->Edit12->text() + Form3->hex[32]->text() + Form3->hex[5]->text(), "9A9A04");
    EXPECT_EQ(Form3->asc[5]->text(), QString(QChar(4)));
    // T5557, RF/32, max block 3: composed again from the restored choices.
    QString block0;
    for (int i = 1; i <= 4; ++i) block0 += Form3->hex[i]->text();
    EXPECT_EQ(block0, "00088060");
}

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

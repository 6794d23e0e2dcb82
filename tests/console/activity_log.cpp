// The activity log: batches and the bound keep the lines exactly, Find, Save,
// recording (a burst from the simulated module, a file that cannot be
// written), the [Log] settings and the text assistive tools read.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <cstdlib>
#include <ctime>
#include <regex>

#include "console/LogMenu.h"
#include "console/Unit1.h"
#include "console/Widgets.h"
#include "support/ui/UiHarness.h"

namespace {

using Lines = std::vector<std::string>;

// Time stamps in the expected texts are UTC.
void useUtc() {
    setenv("TZ", "UTC", 1);
    tzset();
}

// The text a QPlainTextEdit shows after appendPlainText of each line: the log
// as it always was.
QString oneByOne(const Lines& lines) {
    QPlainTextEdit reference;
    for (const auto& l : lines) reference.appendPlainText(QString::fromUtf8(l.c_str()));
    return reference.toPlainText();
}

TEST(ActivityLog, BatchesAndTheBoundKeepTheNewestLinesExactly) {
    UiHarness ui;
    ui.start();
    const Lines lines{"RX > FF 01 01 99 9B ", "a\rb",   "c\r", "\nd", "e\r\nf",
                      "TX > Sleep\t\tFF ",    "g\xC2\xB5h", "last"};
    struct Case {
        const char* name;
        size_t maxLines;
        int takeInEvery;  // lines between takings-in (0: only when read)
    };
    const Case cases[] = {{"unbounded, every line", 100, 1}, {"unbounded, one batch", 100, 0},
                          {"bound 3, every line", 3, 1},     {"bound 3, pairs", 3, 2},
                          {"bound 3, one batch", 3, 0},      {"bound 1, triples", 1, 3}};
    for (const Case& c : cases) {
        Form1->SpeedButton1Click();
        Form1->Memo1->SetMaxLines(c.maxLines);
        for (size_t i = 0; i < lines.size(); ++i) {
            Form1->AppendLine(lines[i]);
            if (c.takeInEvery && (i + 1) % c.takeInEvery == 0) Form1->Memo1->TakeInPending();
        }
        const size_t kept = std::min(c.maxLines, lines.size());
        const Lines newest(lines.end() - static_cast<long>(kept), lines.end());
        EXPECT_EQ(Form1->Memo1->toPlainText(), oneByOne(newest)) << c.name;
        ASSERT_EQ(Form1->Memo1->Model().size(), kept) << c.name;
        EXPECT_EQ(Form1->Memo1->Model().at(0).text, newest.front()) << c.name;
    }
}

TEST(ActivityLog, AssistiveToolsReadEveryLineAndNothingAfterClear) {
    UiHarness ui;
    ui.start();
    QAccessibleInterface* memo = QAccessible::queryAccessibleInterface(Form1->Memo1);
    ASSERT_TRUE(memo && memo->textInterface());
    EXPECT_EQ(memo->text(QAccessible::Description), "Memo1");
    Form1->AppendLine("TX > Firmware\t\tFF 01 01 50 52 ");
    Form1->AppendLine("RX > ZQ361 1.0\t\tFF 01 0E 50 ");
    // Read at once, before the lines' time to reach the view is up.
    QAccessibleTextInterface* text = memo->textInterface();
    EXPECT_EQ(text->text(0, text->characterCount()),
              "TX > Firmware\t\tFF 01 01 50 52 \nRX > ZQ361 1.0\t\tFF 01 0E 50 ");
    Form1->AppendLine("waiting when cleared");
    Form1->SpeedButton1Click();
    ui.settle(2 * LogView::kHoldMs);
    EXPECT_EQ(text->characterCount(), 0);
    EXPECT_EQ(text->text(0, 0), "");
    EXPECT_TRUE(ui.log().empty());
}

TEST(ActivityLog, FindGoesBothWaysIgnoringCaseAndGoesRound) {
    UiHarness ui;
    ui.start();
    for (const char* l : {"RX > FF 01 06 10", "TX > Firmware", "rx > ff 02", "other"})
        Form1->AppendLine(l);
    auto selectedLine = [] {
        const QTextCursor c = Form1->Memo1->textCursor();
        return c.hasSelection() ? c.block().blockNumber() : -1;
    };
    struct Step {
        const char* text;
        bool backward;
        int line;  // selected afterwards; -1: not found
    };
    const Step steps[] = {{"Rx > fF", false, 0}, {"Rx > fF", false, 2}, {"Rx > fF", false, 0},
                          {"Rx > fF", true, 2},  {"firmware", true, 1}, {"absent", false, -1}};
    for (const Step& s : steps) {
        EXPECT_EQ(Form1->Memo1->Find(s.text, s.backward), s.line >= 0) << s.text;
        if (s.line >= 0) {
            EXPECT_EQ(selectedLine(), s.line) << s.text;
        }
    }
    EXPECT_EQ(selectedLine(), 1);  // a search that fails leaves the selection
}

// Counts the times a widget is shown.
class ShowCounter : public QObject {
public:
    int shows = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        shows += event->type() == QEvent::Show;
        return false;
    }
};

TEST(ActivityLog, GoToEndAppearsOnlyWhileTheOperatorLooksAtOlderLines) {
    UiHarness ui;
    ui.start();
    Form1->show();
    LogView* log = Form1->Memo1;
    auto* button = log->findChild<QToolButton*>("LogFollowButton");
    ASSERT_TRUE(button);
    ShowCounter counter;
    button->installEventFilter(&counter);
    auto batch = [&](int lines) {
        for (int i = 0; i < lines; ++i) Form1->AppendLine("RX > FF 01 06 10 1A 2B 3C 4D 5E 43 ");
        log->TakeInPending();
    };
    // Following the end, batches never flash it (each flash repainted the window).
    for (int i = 0; i < 5; ++i) batch(100);
    EXPECT_EQ(counter.shows, 0);
    EXPECT_TRUE(button->isHidden());

    log->verticalScrollBar()->setValue(0);
    EXPECT_FALSE(button->isHidden());
    batch(100);
    EXPECT_EQ(log->verticalScrollBar()->value(), 0);
    EXPECT_FALSE(button->isHidden());
    button->click();
    EXPECT_TRUE(log->AtEnd());
    EXPECT_TRUE(button->isHidden());
}

TEST(ActivityLog, SaveWritesTheLinesHeldWithOrWithoutTimeStamps) {
    useUtc();
    UiHarness ui;
    ui.start();
    int64_t now = 86400000 + 3723004;  // 1970-01-02 01:02:03.004
    Form1->Memo1->SetClock([&now] { return now++; });
    Form1->Memo1->SetMaxLines(3);
    for (const char* l :
         {"dropped", "RX > FF 01 06 ", "Incoming ASCII Characters >A\r\n\x07\t( )", "g\xC2\xB5h"})
        Form1->AppendLine(l);
    const std::string plain = ui.folder.file("plain.txt"), stamped = ui.folder.file("stamped.txt");
    EXPECT_EQ(Form1->Memo1->SaveTo(plain, false), "");
    EXPECT_EQ(ReadWholeFile(plain),
              "RX > FF 01 06 \nIncoming ASCII Characters >A\\x0D\\x0A\\x07\t( )\ng\xC2\xB5h\n");
    EXPECT_EQ(Form1->Memo1->SaveTo(stamped, true), "");
    EXPECT_EQ(ReadWholeFile(stamped),
              "1970-01-02T01:02:03.005+00:00 RX > FF 01 06 \n"
              "1970-01-02T01:02:03.006+00:00 Incoming ASCII Characters >A\\x0D\\x0A\\x07\t( )\n"
              "1970-01-02T01:02:03.007+00:00 g\xC2\xB5h\n");
    // The view shows the same times, as a prefix.
    Form1->Memo1->ShowTimeStamps(true);
    EXPECT_EQ(ui.log().front(), "01:02:03.005 RX > FF 01 06 ");
    EXPECT_NE(Form1->Memo1->SaveTo(ui.folder.file("no/such/folder.txt"), false), "");
}

TEST(ActivityLog, RecordingABurstKeepsEveryFrameOnceAndInOrder) {
    UiHarness ui;
    ui.start();
    const std::string record = ui.folder.file("record.txt");
    ASSERT_TRUE(Form1->Memo1Menu->StartRecording(record));
    ui.sim.withModule([](SimulatedModule& m) {
        // 1000 frames/s: a burst the program keeps up with even under
        // sanitizers on a busy machine; throughput is the benchmarks' job.
        m.setAutoRepeatMicros(1000);
        m.setCountTagIds(true);
        m.setTagInField(true);
    });
    Form1->rdb_auto->SetItemIndex(0);
    Form1->Button17Click();  // Set Auto Mode: continuous reading
    uint64_t sent = 0;
    ui.waitFor([&] {
        ui.sim.withModule([&](SimulatedModule& m) { sent = m.tagFramesSent(); });
        return sent >= 1000;
    });
    ui.sim.withModule([&](SimulatedModule& m) {
        m.setTagInField(false);
        sent = m.tagFramesSent();
    });
    std::vector<uint64_t> ids;
    ui.waitFor(
        [&] {
            ids.clear();
            const std::regex frame(R"( RX > FF 01 06 10 (.. .. .. .. ..) .. $)");
            std::smatch m;
            const std::string text = ReadWholeFile(record);
            for (auto from = text.cbegin(); from != text.cend();) {
                const auto eol = std::find(from, text.cend(), '\n');
                const std::string line(from, eol);
                if (std::regex_search(line, m, frame))
                    ids.push_back(std::stoull(std::regex_replace(m[1].str(), std::regex(" "), ""),
                                              nullptr, 16));
                from = eol == text.cend() ? eol : eol + 1;
            }
            return ids.size() >= sent;
        },
        20000);
    ASSERT_EQ(ids.size(), sent);
    for (size_t i = 0; i < ids.size(); ++i) ASSERT_EQ(ids[i], ids[0] + i) << "frame " << i;
    EXPECT_TRUE(ui.boxes.errors.empty());
}

TEST(ActivityLog, ARecordFileThatCannotBeWrittenStopsWithOneMessage) {
    UiHarness ui;
    ui.start();
    const std::string missing = ui.folder.file("no/such/record.txt");
    EXPECT_FALSE(Form1->Memo1Menu->StartRecording(missing));
    ASSERT_EQ(ui.boxes.errors,
              Lines{"Cannot record the log to " + missing + ": No such file or directory"});
    EXPECT_FALSE(Form1->Memo1->Recording());

    // A disk that fills while recording.
    ui.boxes.clear();
    ui.writeIni("");
    Form1->Memo1Menu->AskSavePath = [](const QString&, const QString&) {
        return std::optional<QString>("/dev/full");
    };
    Form1->Memo1Menu->RecordToFileClick();
    ASSERT_TRUE(Form1->Memo1->Recording());
    EXPECT_NE(ui.iniText().find("Recording=-1"), std::string::npos);
    Form1->AppendLine("RX > FF 01 06 10 1A 2B 3C 4D 5E 43 ");
    const std::string stopped = "Recording the log to /dev/full stopped: No space left on device";
    ASSERT_TRUE(ui.waitFor([&] { return !ui.boxes.errors.empty(); }));
    Form1->AppendLine("after");
    ui.settle(LogRecorder::kWriteIntervalMs * 2);
    EXPECT_EQ(ui.boxes.errors, Lines{stopped});
    EXPECT_EQ(ui.log(), (Lines{"RX > FF 01 06 10 1A 2B 3C 4D 5E 43 ", stopped, "after"}));
    EXPECT_FALSE(Form1->Memo1->Recording());
    EXPECT_NE(ui.iniText().find("Recording=0"), std::string::npos);
}

TEST(ActivityLog, LogSettingsAreReadAtStartAndRefusedValuesSaySo) {
    UiHarness ui;
    const std::string record = ui.folder.file("resumed.txt");
    struct Case {
        std::string ini;
        size_t maxLines;
        bool stamps;
        bool recording;
        Lines errors;
    };
    const Case cases[] = {
        {"", 100000, false, false, {}},
        {"[Log]\nMaxLines=5\nShowTimeStamps=-1\nRecordFile=" + record +
             "\nRecording=-1\nRecordAtStart=-1\n",
         5,
         true,
         true,
         {}},
        {"[Log]\nRecordFile=" + record + "\nRecording=-1\nRecordAtStart=0\n",
         100000,
         false,
         false,
         {}},
        {"[Log]\nMaxLines=0\nShowTimeStamps=true\n",
         100000,
         true,
         false,
         {"'0' is refused: the maximum number of lines is a whole number from 1 to 10000000"}},
        {"[Log]\nMaxLines=many\nShowTimeStamps=-1\n",
         100000,
         false,
         false,
         {"'many' is not a valid integer value"}},
    };
    for (const Case& c : cases) {
        ui.stopWindows();
        ui.boxes.clear();
        ui.writeIni(c.ini);
        ui.start();
        EXPECT_EQ(Form1->Memo1->MaxLines(), c.maxLines) << c.ini;
        EXPECT_EQ(Form1->Memo1->TimeStampsShown(), c.stamps) << c.ini;
        EXPECT_EQ(Form1->Memo1->Recording(), c.recording) << c.ini;
        EXPECT_EQ(ui.boxes.errors, c.errors) << c.ini;
    }
    // Typed maxima: refused with a message unless 1 to 10000000; kept when taken.
    for (const char* refused : {"0", "10000001", "12x", ""}) {
        ui.boxes.clear();
        EXPECT_FALSE(Form1->Memo1Menu->ApplyMaximumLines(refused)) << refused;
        EXPECT_EQ(ui.boxes.errors.size(), 1u) << refused;
    }
    EXPECT_TRUE(Form1->Memo1Menu->ApplyMaximumLines("10000000"));
    EXPECT_NE(ui.iniText().find("MaxLines=10000000"), std::string::npos);
}

}  // namespace

// The activity log against a plain text widget that takes one line at a time:
// one million tag-frame lines appended to the real main window (offscreen) and
// to a QPlainTextEdit set up as the log used to be, each in a child process of
// its own (a process does not give its heap back). Both get the event loop's
// turn every kLinesPerTurn lines, as a stream of frames would.
// Prints, for a script to read:
//   append speedup: N.Nx     one-by-one time per line / ours
//   memory ratio: 0.NN       our resident growth / the one-by-one widget's
//   last/first 10k: N.NN     our time for the last 10000 lines / the first
// Usage: bench_log_append [lines]
#include <unistd.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "BenchProcess.h"
#include "app/Startup.h"
#include "console/MessageBoxes.h"
#include "console/Unit1.h"
#include "link/TALVOR_comport.h"
#include "settings/SettingsFile.h"

namespace {

using bench::residentMiB;

constexpr int kLinesPerTurn = 150;  // 30 ms of frames at 5000 frames/s
constexpr int kEdge = 10000;

struct Result {
    double totalSeconds = 0;
    double firstSeconds = 0;
    double lastSeconds = 0;
    double growthMiB = 0;
    long shownLines = 0;
};

// Processor time of the calling thread, where every append and the view's
// work run; other programs busy on the machine do not count.
double threadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// A tag frame whose ID counts up, as the log shows it.
std::string tagLine(int n) {
    uint8_t frame[10] = {0xFF, 0x01, 0x06, 0x10, 0x1A, 0, 0, 0, 0, 0};
    frame[5] = static_cast<uint8_t>(n >> 24);
    frame[6] = static_cast<uint8_t>(n >> 16);
    frame[7] = static_cast<uint8_t>(n >> 8);
    frame[8] = static_cast<uint8_t>(n);
    uint8_t sum = 0;
    for (int i = 1; i < 9; ++i) sum = static_cast<uint8_t>(sum + frame[i]);
    frame[9] = sum;
    return "RX > " + HexText(frame, 10);
}

template <typename Append, typename Finish>
Result run(int lines, Append append, Finish finish) {
    QApplication::processEvents();
    const double before = residentMiB();
    Result r;
    const double start = threadSeconds();
    double edge = start;
    for (int i = 0; i < lines; ++i) {
        if (i == lines - kEdge) {
            finish();  // only these 10000 lines count
            edge = threadSeconds();
        }
        append(tagLine(i));
        if ((i + 1) % kLinesPerTurn == 0) QApplication::processEvents();
        if (i == kEdge - 1) {
            finish();  // the first lines count once they are in the view
            r.firstSeconds = threadSeconds() - start;
        }
    }
    finish();
    const double end = threadSeconds();
    r.lastSeconds = end - edge;
    r.totalSeconds = end - start;
    QApplication::processEvents();
    r.growthMiB = residentMiB() - before;
    return r;
}

int child(const std::string& which, int lines) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "bench_log_append";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    Result r;
    if (which == "ours" || which == "ours-paced") {
        // Paced: the lines go into the view every kLinesPerTurn lines, as at
        // 5000 frames/s, instead of once they waited 30 ms.
        const bool paced = which == "ours-paced";
        char folder[] = "/tmp/talvor-bench-XXXXXX";
        if (!mkdtemp(folder)) return 1;
        SetProgramFolderOverride(folder);
        static bench::CountingMessages silent;
        SetMessageBoxes(&silent);
        InstallMainThreadExecutor();
        CreateWindows();
        Form1->show();
        int n = 0;
        r = run(
            lines,
            [&n, paced](const std::string& line) {
                Form1->AppendLine(line);
                if (paced && ++n % kLinesPerTurn == 0) Form1->Memo1->TakeInPending();
            },
            [] { Form1->Memo1->TakeInPending(); });
        r.shownLines = Form1->Memo1->document()->blockCount();
    } else {
        // The log as it was: one appendPlainText per line, no bound.
        QPlainTextEdit edit;
        edit.setFont(QFont("Courier New"));
        edit.setLineWrapMode(QPlainTextEdit::NoWrap);
        edit.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit.resize(600, 480);
        edit.show();
        r = run(
            lines,
            [&edit](const std::string& line) {
                edit.appendPlainText(QString::fromLatin1(line.data(), qsizetype(line.size())));
            },
            [] {});
        r.shownLines = edit.document()->blockCount();
    }
    std::printf("%.6f %.6f %.6f %.3f %ld\n", r.totalSeconds, r.firstSeconds, r.lastSeconds,
                r.growthMiB, r.shownLines);
    std::fflush(stdout);
    std::_Exit(0);  // the figures are out; tearing a million lines down tells nothing
}

bool measure(const char* which, int lines, Result& r) {
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return false;
    self[n] = 0;
    const std::string command =
        std::string(self) + " --child " + which + " " + std::to_string(lines);
    FILE* out = popen(command.c_str(), "r");
    if (!out) return false;
    const int got = std::fscanf(out, "%lf %lf %lf %lf %ld", &r.totalSeconds, &r.firstSeconds,
                                &r.lastSeconds, &r.growthMiB, &r.shownLines);
    return pclose(out) == 0 && got == 5;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--child") == 0)
        return child(argv[2], std::atoi(argv[3]));
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;
    if (lines < 2 * kEdge) {
        std::fprintf(stderr, "at least %d lines\n", 2 * kEdge);
        return 2;
    }
    Result ours, paced, plain;
    if (!measure("ours", lines, ours) || !measure("ours-paced", lines, paced) ||
        !measure("plain", lines, plain)) {
        std::fprintf(stderr, "a child process failed\n");
        return 1;
    }
    const double oursPerLine = ours.totalSeconds / lines * 1e6;
    const double plainPerLine = plain.totalSeconds / lines * 1e6;
    std::printf(
        "%d lines, the event loop's turn every %d lines; processor time of the window's "
        "thread\n",
        lines, kLinesPerTurn);
    std::printf("one-by-one widget: %.2f us/line, resident growth %.1f MiB, %ld lines shown\n",
                plainPerLine, plain.growthMiB, plain.shownLines);
    std::printf("main window log:   %.2f us/line, resident growth %.1f MiB, %ld lines shown\n",
                oursPerLine, ours.growthMiB, ours.shownLines);
    std::printf("(in batches of %d lines: %.2f us/line, speedup %.1fx)\n", kLinesPerTurn,
                paced.totalSeconds / lines * 1e6, plain.totalSeconds / paced.totalSeconds);
    std::printf("append speedup: %.1fx\n", plainPerLine / oursPerLine);
    std::printf("memory ratio: %.2f\n", ours.growthMiB / plain.growthMiB);
    std::printf("last/first 10k: %.2f\n", ours.lastSeconds / ours.firstSeconds);
    return 0;
}

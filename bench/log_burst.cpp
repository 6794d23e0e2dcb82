// The main window under the simulated module's burst mode: continuous reading
// at 5000 tag frames/s, each with the next ID, while the log records to a
// file. Every 100 ms a click goes to the log, and the time until the window
// handles it is taken. At the end the record must hold every frame the module
// sent, once and in order, and the log no more than its maximum of lines.
// Usage: bench_log_burst [seconds=60]
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "BenchProcess.h"
#include "app/Startup.h"
#include "console/LogMenu.h"
#include "console/MessageBoxes.h"
#include "console/PortList.h"
#include "console/Unit1.h"
#include "console/Widgets.h"
#include "settings/SettingsFile.h"
#include "sim/SimulatorServer.h"

namespace {

using bench::CountingMessages;
using bench::residentMiB;

// Times each click from its posting to its handling.
class ClickTimer : public QObject {
public:
    QElapsedTimer posted;
    std::vector<double> millis;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease && posted.isValid()) {
            millis.push_back(posted.nsecsElapsed() / 1e6);
            posted.invalidate();
        }
        return false;
    }
};

// IDs of the tag frames in the record, in file order.
std::vector<uint64_t> recordedIds(const std::string& path) {
    std::vector<uint64_t> ids;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t at = line.find(" RX > FF 01 06 10 ");
        if (at == std::string::npos) continue;
        std::string hex = line.substr(at + 18, 14);
        hex.erase(std::remove(hex.begin(), hex.end(), ' '), hex.end());
        ids.push_back(std::stoull(hex, nullptr, 16));
    }
    return ids;
}

// The machine's load over the last 1, 5 and 15 minutes: other work on it
// slows the window's answer to clicks.
std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

void pump(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    char folder[] = "/tmp/talvor-burst-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    SetProgramFolderOverride(folder);
    CountingMessages messages;
    SetMessageBoxes(&messages);
    InstallMainThreadExecutor();
    SimulatorServer sim;
    sim.start();
    SetPreferredPorts({sim.devicePath()});
    CreateWindows();
    Form1->show();

    const std::string record = std::string(folder) + "/record.txt";
    if (!Form1->Memo1Menu->StartRecording(record)) return 1;
    sim.withModule([](SimulatedModule& m) {
        m.setAutoRepeatMicros(200);
        m.setCountTagIds(true);
        m.setTagInField(true);
    });
    Form1->rdb_auto->SetItemIndex(0);
    Form1->Button17Click();  // Set Auto Mode: the module reads on and on

    const std::string loadBefore = loadAverage();
    ClickTimer clicks;
    QWidget* target = Form1->Memo1->viewport();
    target->installEventFilter(&clicks);
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        const QPointF at(20, 20);
        clicks.posted.start();
        QApplication::postEvent(
            target, new QMouseEvent(QEvent::MouseButtonPress, at, at, at, Qt::LeftButton,
                                    Qt::LeftButton, Qt::NoModifier));
        QApplication::postEvent(
            target, new QMouseEvent(QEvent::MouseButtonRelease, at, at, at, Qt::LeftButton,
                                    Qt::NoButton, Qt::NoModifier));
    });
    clicker.start(100);
    double residentAt10 = 0;
    for (int s = 0; s < seconds; ++s) {
        pump(1000);
        if (s == 9) residentAt10 = residentMiB();
    }
    clicker.stop();
    uint64_t sent = 0;
    sim.withModule([&](SimulatedModule& m) {
        m.setTagInField(false);
        sent = m.tagFramesSent();
    });
    const double residentEnd = residentMiB();
    std::vector<uint64_t> ids;
    QElapsedTimer wait;
    wait.start();
    while ((ids = recordedIds(record)).size() < sent && wait.elapsed() < 30000) pump(200);

    bool inOrder = !ids.empty();
    for (size_t i = 1; i < ids.size(); ++i)
        if (ids[i] != ids[i - 1] + 1) inOrder = false;
    std::sort(clicks.millis.begin(), clicks.millis.end());
    const double worst = clicks.millis.empty() ? -1 : clicks.millis.back();
    const double p99 = clicks.millis.empty() ? -1 : clicks.millis[clicks.millis.size() * 99 / 100];
    std::printf("load average before: %s, after: %s\n", loadBefore.c_str(), loadAverage().c_str());
    std::printf("frames sent by the module: %llu in %d s\n", static_cast<unsigned long long>(sent),
                seconds);
    std::printf("bytes lost at the port (terminal full, the window read too late): %llu\n",
                static_cast<unsigned long long>(sim.refusedOutputBytes()));
    std::printf("frames recorded: %zu (each the next ID, none lost or doubled: %s)\n", ids.size(),
                inOrder && ids.size() == sent ? "yes" : "no");
    std::printf("clicks handled: %zu, slowest %.1f ms, 99th percentile %.1f ms\n",
                clicks.millis.size(), worst, p99);
    std::printf(
        "log lines held: %zu of at most %zu; resident memory %.1f MiB after 10 s, %.1f MiB "
        "at the end\n",
        Form1->Memo1->Model().size(), Form1->Memo1->MaxLines(), residentAt10, residentEnd);
    std::printf("messages shown: %d\n", messages.errors);
    std::fflush(stdout);
    sim.stop();  // removes its folder, which _Exit would leave behind
    std::_Exit(0);
}

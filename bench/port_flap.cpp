// A device that flaps: the simulated module's cable is pulled and plugged in
// again every 20 ms while Reconnect Automatically is on. Reconnecting must
// start at most once a second, and threads and memory must not grow.
// Usage: bench_port_flap [seconds=20]
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchProcess.h"
#include "app/Startup.h"
#include "console/LogView.h"
#include "console/MessageBoxes.h"
#include "console/PortList.h"
#include "console/Unit1.h"
#include "link/TALVOR_comport.h"
#include "settings/SettingsFile.h"
#include "sim/SimulatorServer.h"

namespace {

using bench::CountingMessages;
using bench::residentMiB;

using bench::threadCount;

void pump(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

int linesWith(const char* text) {
    const LogModel& log = Form1->Memo1->Model();
    int n = 0;
    for (size_t i = 0; i < log.size(); ++i)
        if (log.at(i).text.find(text) != std::string::npos) ++n;
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    char folder[] = "/tmp/talvor-flap-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    SetProgramFolderOverride(folder);
    CountingMessages messages;
    SetMessageBoxes(&messages);
    InstallMainThreadExecutor();
    SimulatorServer sim;
    sim.start();
    SetPreferredPorts({sim.devicePath()});
    CreateWindows();
    Form1->ReconnectAutomatically1->trigger();
    Form1->btn_openClick();

    // Every opening, the retries within one reconnect included.
    int openings = 0;
    com_form->comport1.OnBeforeOpen = [&](TCustomComPort*) { ++openings; };
    const int threadsAtStart = threadCount();
    int mostThreads = threadsAtStart;
    double residentAt5 = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        sim.unplug();
        pump(10);
        sim.plugIn();
        pump(10);
        mostThreads = std::max(mostThreads, threadCount());
        if (residentAt5 == 0 && clock.elapsed() >= 5000) residentAt5 = residentMiB();
    }
    const double flapped = clock.elapsed() / 1000.0;
    const int started = linesWith(" was reconnected") + linesWith(" could not be opened");
    pump(3000);  // the last reconnect settles
    std::printf("flapped for %.1f s: %d losses logged, %d reconnects, %d reconnects given up\n",
                flapped, linesWith(" was disconnected"), linesWith(" was reconnected"),
                linesWith(" could not be opened"));
    std::printf(
        "reconnects while flapping: %d in %.1f s (at most one a second: %s); openings "
        "tried in all: %d\n",
        started, flapped, started <= static_cast<int>(flapped) + 1 ? "yes" : "no", openings);
    std::printf(
        "threads: %d at start, at most %d, %d at the end; resident memory %.1f MiB after "
        "5 s, %.1f MiB at the end\n",
        threadsAtStart, mostThreads, threadCount(), residentAt5, residentMiB());
    std::printf("port open at the end: %s; messages shown: %d\n",
                com_form->comport1.Connected() ? "yes" : "no", messages.errors);
    std::fflush(stdout);
    sim.stop();  // removes its folder, which _Exit would leave behind
    std::_Exit(0);
}

// TALVOR: a console for the ZQ361 RFID reader module.
// `talvor --simulator` talks to a simulated module on a pseudo-terminal;
// `talvor --settings-path` prints the settings file in use.
#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

#include "app/SimulatorMenu.h"
#include "app/Startup.h"
#include "crash/CrashReport.h"
#include "console/PortList.h"
#include "console/Unit1.h"
#include "settings/SettingsLocation.h"
#include "sim/SimulatorServer.h"

int main(int argc, char* argv[]) {
    InstallCrashReporter("talvor");
    // Answered before the toolkit starts, so it works without a display.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--settings-path") == 0) {
            std::cout << SettingsPath() << std::endl;
            return 0;
        }

    QApplication app(argc, argv);
    // Lets the desktop match the window with the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName("org.talvor.talvor");
    QApplication::setWindowIcon(QIcon::fromTheme("org.talvor.talvor"));
    InitTranslation();
    InstallMainThreadExecutor();
    CrashIfTestAsks();

    bool simulate = false;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--simulator") == 0) simulate = true;

    std::unique_ptr<SimulatorServer> simulator;
    if (simulate) {
        simulator = std::make_unique<SimulatorServer>();
        simulator->start();
        RemoveSimulatorDeviceOnSignal(*simulator);
        SetPreferredPorts({simulator->devicePath()});
        std::cout << "Simulated ZQ361 module on " << simulator->devicePath() << std::endl;
    }

    CreateWindows();
    if (simulator) AddSimulatorMenu(Form1, simulator.get());
    // Closing the main window ends the program, even with dialogs open.
    QApplication::setQuitOnLastWindowClosed(false);
    Form1->OnClosed = [] { QApplication::quit(); };
    Form1->show();
    // Start-up stress runs (bench/startup-repeat.sh) end each start by themselves.
    if (const char* quitAfter = std::getenv("TALVOR_QUIT_AFTER_MS"))
        QTimer::singleShot(std::atoi(quitAfter), Form1, [] { Form1->close(); });
    const int result = QApplication::exec();
    DestroyWindows();
    return result;
}

#include "app/SimulatorMenu.h"

#include <unistd.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <csignal>
#include <cstring>
#include <iostream>

#include "app/SimulatorTagMenu.h"
#include "console/HandlerGuard.h"
#include "console/Unit1.h"
#include "sim/SimulatorServer.h"

void AddSimulatorMenu(TForm1* form, SimulatorServer* simulator) {
    QMenu* menu = form->menuBar()->addMenu("Simulator");
    menu->setObjectName("SimulatorMenu");

    QAction* tag = menu->addAction("Tag in Field");
    tag->setObjectName("SimTagInField");
    tag->setCheckable(true);
    QObject::connect(tag, &QAction::toggled, form, [simulator](bool in) {
        simulator->withModule([in](SimulatedModule& m) { m.setTagInField(in); });
    });

    AddSimulatorTagItems(menu, form, simulator);
    menu->addSeparator();

    QAction* input = menu->addAction("Input0 at Logic 1");
    input->setObjectName("SimInput0High");
    input->setCheckable(true);
    // The menu starts from the module's level, then drives it.
    constexpr bool startHigh = true;
    simulator->withModule([](SimulatedModule& m) { m.setInput0(startHigh); });
    input->setChecked(startHigh);
    QObject::connect(input, &QAction::toggled, form, [simulator](bool high) {
        simulator->withModule([high](SimulatedModule& m) { m.setInput0(high); });
    });

    // Continuous reading at 5000 frames/s, each frame with the next ID.
    QAction* burst = menu->addAction("Burst: 5000 Tag Frames/s");
    burst->setObjectName("SimBurst");
    burst->setCheckable(true);
    QObject::connect(burst, &QAction::toggled, form, [simulator](bool on) {
        simulator->withModule([on](SimulatedModule& m) {
            if (on)
                m.setAutoRepeatMicros(200);
            else
                m.setAutoRepeatMs(1000);
            m.setCountTagIds(on);
        });
    });

    // Random answers to every command, for trying the program's defences.
    QAction* hostile = menu->addAction("Hostile Module");
    hostile->setObjectName("SimHostile");
    hostile->setCheckable(true);
    QObject::connect(hostile, &QAction::toggled, form, [simulator](bool on) {
        const uint32_t seed = HostileAnswers::FreshSeed();
        simulator->withModule([on, seed](SimulatedModule& m) {
            if (on)
                m.setHostile(seed);
            else
                m.clearHostile();
        });
        if (on) std::cout << "Hostile module, seed " << seed << std::endl;
    });

    menu->addSeparator();
    QAction* power = menu->addAction("Power Cycle Module");
    power->setObjectName("SimPowerCycle");
    QObject::connect(power, &QAction::triggered, form, [simulator] { simulator->powerCycle(); });

    // The cable: the device goes away and comes back under the same name.
    menu->addSeparator();
    QAction* unplug = menu->addAction("Unplug");
    unplug->setObjectName("SimUnplug");
    QAction* plugIn = menu->addAction("Plug In");
    plugIn->setObjectName("SimPlugIn");
    auto showPlugged = [unplug, plugIn](bool plugged) {
        unplug->setEnabled(plugged);
        plugIn->setEnabled(!plugged);
    };
    showPlugged(simulator->pluggedIn());
    QObject::connect(unplug, &QAction::triggered, form, [simulator, showPlugged] {
        simulator->unplug();
        showPlugged(simulator->pluggedIn());
    });
    QObject::connect(plugIn, &QAction::triggered, form, [simulator, showPlugged] {
        Guarded([simulator] { simulator->plugIn(); });
        showPlugged(simulator->pluggedIn());
    });
}

namespace {
// Filled before the handler is installed; the handler only reads them.
char g_simulatorLink[4096];
char g_simulatorFolder[4096];

extern "C" void RemoveSimulatorDevice(int signal) {
    unlink(g_simulatorLink);
    rmdir(g_simulatorFolder);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
}  // namespace

void RemoveSimulatorDeviceOnSignal(const SimulatorServer& simulator) {
    const std::string link = simulator.devicePath();
    const std::string folder = link.substr(0, link.rfind('/'));
    if (link.size() >= sizeof g_simulatorLink || folder.empty()) return;
    std::strcpy(g_simulatorLink, link.c_str());
    std::strcpy(g_simulatorFolder, folder.c_str());
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, RemoveSimulatorDevice);
}

// The Simulator menu's tag items: which tag lies on the antenna (the fixed
// EM4100 tag or a programmable T5557), a blank T5557 swapped in, and a write
// that the module acknowledges but the tag does not take.
#pragma once

class QMenu;
class QWidget;
class SimulatorServer;

void AddSimulatorTagItems(QMenu* menu, QWidget* owner, SimulatorServer* simulator);

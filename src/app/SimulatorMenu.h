// The "Simulator" menu of `talvor --simulator`: the operator's hands on the
// simulated module (tag in or out of the field, which tag, Input0 level, power
// cycle, unplugging and plugging in its cable).
#pragma once

class SimulatorServer;
class TForm1;

void AddSimulatorMenu(TForm1* form, SimulatorServer* simulator);

// A signal (Ctrl+C, SIGTERM) ends the program without its destructors: the
// simulated module's link and folder are removed all the same.
void RemoveSimulatorDeviceOnSignal(const SimulatorServer& simulator);

// The "Simulator" menu of `talvor --simulator`: the operator's hands on the
// simulated module (tag in or out of the field, Input0 level, power cycle,
// unplugging and plugging in its cable).
#pragma once

class SimulatorServer;
class TForm1;

void AddSimulatorMenu(TForm1* form, SimulatorServer* simulator);

// The port names offered in the main window: the serial ports present, with
// any preferred device (the simulated module's) first.
#pragma once

#include <string>
#include <vector>

void SetPreferredPorts(std::vector<std::string> ports);
std::vector<std::string> OfferedPortNames();

// The port names offered in the main window: the serial ports present, with
// any preferred device (the simulated module's) first.
#pragma once

#include <string>
#include <vector>

#include "module/DeviceInfo.h"

void SetPreferredPorts(std::vector<std::string> ports);
// Where the ports are looked for (the system's folders unless set).
void SetPortFolders(const PortFolders& folders);
const PortFolders& CurrentPortFolders();

// Only devices whose node exists are listed: one going away disappears at once.
std::vector<std::string> OfferedPortNames();
// The folders whose changes may change the list.
std::vector<std::string> PortListFolders();

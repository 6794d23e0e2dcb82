#include "console/PortList.h"

#include <algorithm>

#include "link/CPort.h"

namespace {
std::vector<std::string> preferred;
}

void SetPreferredPorts(std::vector<std::string> ports) { preferred = std::move(ports); }

std::vector<std::string> OfferedPortNames() {
    std::vector<std::string> present;
    EnumComPorts(present);
    std::vector<std::string> all = preferred;
    for (const std::string& p : present)
        if (std::find(all.begin(), all.end(), p) == all.end()) all.push_back(p);
    return all;
}

// A plain hint for the operator when a port cannot be opened: why, where the
// system can tell, and what to do. No toolkit needed.
#pragma once

#include <string>
#include <vector>

struct HintSources {
    std::vector<std::string> present;  // the serial ports present, for a missing device
    std::string procDir = "/proc";     // locks and processes; tests use a tree of their own
};

// One line for the device at `path` that failed to open with the system error
// number `error`, or "" when there is nothing useful to say.
std::string PortOpenHint(const std::string& path, int error, const HintSources& sources);

// What the window benchmarks measure of their own process, and message boxes
// that never wait for an operator: an error is printed and counted.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "console/MessageBoxes.h"

namespace bench {

class CountingMessages : public MessageBoxes {
public:
    int errors = 0;
    void error(const std::string& text) override {
        ++errors;
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    void information(const std::string&, const std::string&) override {}
    bool question(const std::string&, const std::string&) override { return false; }
};

inline double residentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

inline int threadCount() {
    int n = 0;
    DIR* dir = opendir("/proc/self/task");
    if (!dir) return 0;
    while (const dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.') ++n;
    closedir(dir);
    return n;
}

}  // namespace bench

#include "console/PortList.h"

#include <sys/stat.h>

#include <algorithm>

#include "link/EComPort.h"
#include "link/PortBackend.h"

namespace {
std::vector<std::string> preferred;
PortFolders folders;

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}
}  // namespace

void SetPreferredPorts(std::vector<std::string> ports) { preferred = std::move(ports); }

void SetPortFolders(const PortFolders& f) { folders = f; }

const PortFolders& CurrentPortFolders() { return folders; }

std::vector<std::string> OfferedPortNames() {
    // What EnumComPorts gives, from the folders in use.
    std::vector<std::string> present;
    const int error = FindSerialDevices(present, folders.classDir, folders.devDir);
    if (error != 0) throw EComPort(CError_RegError, error);
    std::vector<std::string> all;
    for (const std::string& p : preferred)
        if (Exists(p)) all.push_back(p);
    for (const std::string& p : present)
        if (Exists(p) && std::find(all.begin(), all.end(), p) == all.end()) all.push_back(p);
    return all;
}

std::vector<std::string> PortListFolders() {
    std::vector<std::string> watched = {folders.devDir, folders.devDir + "/serial",
                                        folders.devDir + "/serial/by-id"};
    for (const std::string& p : preferred) {
        const std::string folder = p.substr(0, p.rfind('/'));
        if (!folder.empty() && std::find(watched.begin(), watched.end(), folder) == watched.end())
            watched.push_back(folder);
    }
    return watched;
}

#include "module/DeviceInfo.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>

namespace {

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? resolved : std::string();
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string Parent(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The first line of a sysfs attribute, "" when there is none.
std::string Attribute(const std::string& dir, const char* name) {
    std::ifstream in(dir + "/" + name);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

void ReadUsb(const std::string& deviceDir, DeviceInfo& info) {
    // The USB device is the nearest folder above with vendor and product ids;
    // the folder just below it is the interface ("1-1:1.0").
    std::string below;
    for (std::string dir = deviceDir; !dir.empty(); below = dir, dir = Parent(dir)) {
        if (!Exists(dir + "/idVendor")) continue;
        info.product = Attribute(dir, "product");
        info.manufacturer = Attribute(dir, "manufacturer");
        info.serial = Attribute(dir, "serial");
        if (info.serial.empty()) return;
        const std::string interface = BaseName(below);
        info.usbIdentity = Attribute(dir, "idVendor") + ":" + Attribute(dir, "idProduct") + " " +
                           info.serial + " " + interface.substr(interface.find(':') + 1) + " " +
                           Attribute(deviceDir, "port_number");
        return;
    }
}

}  // namespace

DeviceInfo ReadDeviceInfo(const std::string& path, const PortFolders& folders) {
    DeviceInfo info;
    info.path = path;
    info.node = RealPath(path);
    if (info.node.empty()) info.node = path;
    const std::string deviceDir =
        RealPath(folders.classDir + "/" + BaseName(info.node) + "/device");
    if (!deviceDir.empty()) {
        info.driver = BaseName(RealPath(deviceDir + "/driver"));
        ReadUsb(deviceDir, info);
    }
    const std::string byIdDir = folders.devDir + "/serial/by-id";
    if (DIR* dir = opendir(byIdDir.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && RealPath(byIdDir + "/" + name) == info.node)
                info.byId.push_back(name);
        }
        closedir(dir);
        std::sort(info.byId.begin(), info.byId.end());
    }
    return info;
}

std::string DescribeDevice(const DeviceInfo& info) {
    std::string text;
    for (const std::string* part : {&info.product, &info.manufacturer, &info.serial}) {
        if (part->empty()) continue;
        if (!text.empty()) text += " \u2014 ";
        text += *part;
    }
    if (text.empty() && info.node.rfind("/dev/pts/", 0) == 0) return "Pseudo-terminal " + info.node;
    if (text.empty()) text = "Serial port";
    if (!info.driver.empty()) text += " (" + info.driver + ")";
    return text;
}

bool SameDevice(const DeviceInfo& lost, const DeviceInfo& now) {
    if (!lost.usbIdentity.empty()) return lost.usbIdentity == now.usbIdentity;
    if (!lost.byId.empty())
        return std::any_of(now.byId.begin(), now.byId.end(), [&](const std::string& name) {
            return std::find(lost.byId.begin(), lost.byId.end(), name) != lost.byId.end();
        });
    return lost.path == now.path && now.usbIdentity.empty() && now.byId.empty();
}

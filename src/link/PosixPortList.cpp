// Which serial ports exist, as the kernel's tty class tells it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#ifdef __linux__
#include <linux/serial.h>
#endif

#include "link/PortBackend.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// The 8250 driver registers a fixed number of ttyS ports whether the UARTs
// exist or not; only the UART type tells the real ones apart.
bool PhantomUart(const std::string& classEntry, const std::string& devicePath) {
    std::ifstream typeFile(classEntry + "/type");
    int type = -1;
    if (typeFile >> type) return type == 0;
#ifdef __linux__
    const int fd = open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    serial_struct info{};
    const bool unknown = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type == PORT_UNKNOWN;
    close(fd);
    return unknown;
#else
    (void)devicePath;
    return false;
#endif
}

}  // namespace

std::string PortDevicePath(const std::string& port) {
    if (!port.empty() && port[0] == '/') return port;
    return "/dev/" + port;
}

int FindSerialDevices(std::vector<std::string>& list, const std::string& classDir,
                      const std::string& devDir) {
    list.clear();
    DIR* dir = opendir(classDir.c_str());
    if (dir == nullptr) return errno;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string classEntry = classDir + "/" + name;
        // Only ttys backed by a device are serial ports; consoles and
        // virtual terminals have none.
        if (!Exists(classEntry + "/device")) continue;
        const std::string devicePath = devDir + "/" + name;
        if (name.compare(0, 4, "ttyS") == 0 && PhantomUart(classEntry, devicePath)) continue;
        list.push_back(devicePath);
    }
    closedir(dir);
    SortPortNames(list);
    return 0;
}

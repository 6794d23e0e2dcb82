// What the system tells about a serial device, read from sysfs and the
// serial/by-id links: the port list's tool tips, and the means to recognise
// a device that comes back after it was unplugged. No toolkit needed.
#pragma once

#include <string>
#include <vector>

// Where serial devices are looked for; tests point these at a tree of their own.
struct PortFolders {
    std::string classDir = "/sys/class/tty";  // the kernel's tty class
    std::string devDir = "/dev";              // device nodes, and serial/by-id below it
};

struct DeviceInfo {
    std::string path;  // as given
    std::string node;  // the device node the path leads to
    // USB string descriptors, empty for other devices.
    std::string product;
    std::string manufacturer;
    std::string serial;
    // Vendor and product ids, serial number, interface and port of a USB device
    // with a serial number: the same for the same adapter wherever it is plugged.
    std::string usbIdentity;
    std::string driver;
    std::vector<std::string> byId;  // stable names under serial/by-id that lead to node
};

DeviceInfo ReadDeviceInfo(const std::string& path, const PortFolders& folders);

// "FT232R USB UART — FTDI — A10K5XYZ (ftdi_sio)"; UTF-8.
std::string DescribeDevice(const DeviceInfo& info);

// Whether `now` is the device that `lost` was: the same USB adapter when it has
// a serial number, else the same stable name, else the same path (and nothing
// that tells otherwise).
bool SameDevice(const DeviceInfo& lost, const DeviceInfo& now);

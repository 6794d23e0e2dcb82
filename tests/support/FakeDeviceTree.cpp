#include "FakeDeviceTree.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {
void WriteAttribute(const fs::path& dir, const char* name, const std::string& value) {
    if (!value.empty()) WriteWholeFile((dir / name).string(), value + "\n");
}
}  // namespace

PortFolders FakeDeviceTree::folders() const {
    return {folder_.path() + "sys/class/tty", folder_.path() + "dev"};
}

void FakeDeviceTree::plug(const std::string& name, const std::string& driver, const FakeUsb* usb) {
    const fs::path root = folder_.path();
    fs::path device = root / "sys/devices/platform" / name;
    if (usb) {
        const fs::path usbDevice = root / "sys/devices/usb1" / usb->usbPort;
        device = usbDevice / (usb->usbPort + ":1.0") / name;
        fs::create_directories(device);
        WriteAttribute(usbDevice, "idVendor", usb->vendorId);
        WriteAttribute(usbDevice, "idProduct", usb->productId);
        WriteAttribute(usbDevice, "product", usb->product);
        WriteAttribute(usbDevice, "manufacturer", usb->manufacturer);
        WriteAttribute(usbDevice, "serial", usb->serial);
    }
    fs::create_directories(device);
    fs::create_directories(root / "sys/bus/drivers" / driver);
    fs::create_directory_symlink(root / "sys/bus/drivers" / driver, device / "driver");
    fs::create_directories(root / "sys/class/tty" / name);
    fs::create_directory_symlink(device, root / "sys/class/tty" / name / "device");
    // The kernel makes the node once sysfs is in place; udev adds the stable name.
    fs::create_directories(root / "dev/serial/by-id");
    WriteWholeFile(dev(name), "");
    if (usb && !usb->byId.empty())
        fs::create_symlink("../../" + name, root / "dev/serial/by-id" / usb->byId);
}

void FakeDeviceTree::unplug(const std::string& name) {
    const fs::path root = folder_.path();
    fs::remove(dev(name));
    for (const auto& link : fs::directory_iterator(root / "dev/serial/by-id"))
        if (fs::read_symlink(link.path()).filename() == name) fs::remove(link.path());
    const fs::path device = fs::read_symlink(root / "sys/class/tty" / name / "device");
    fs::remove_all(root / "sys/class/tty" / name);
    // The USB device goes with its only interface.
    fs::remove_all(device.parent_path().filename().string().find(':') != std::string::npos
                       ? device.parent_path().parent_path()
                       : device);
}

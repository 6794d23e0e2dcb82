// A pretend sysfs and /dev in a temporary folder: serial devices plugged in
// and out the way the kernel and udev show them (tty class entry, USB device
// attributes, driver link, device node, serial/by-id link). The nodes are
// plain files: good for listing and describing, not for opening.
#pragma once

#include <string>

#include "module/DeviceInfo.h"
#include "support/TempFolder.h"

struct FakeUsb {
    std::string product, manufacturer, serial;  // empty ones are left out
    std::string vendorId = "0403", productId = "6001";
    std::string byId;             // the stable name, "" for none
    std::string usbPort = "1-1";  // where it is plugged
};

// An FTDI adapter with its stable name.
const FakeUsb kFtdi{"FT232R USB UART",
                    "FTDI",
                    "A10K5XYZ",
                    "0403",
                    "6001",
                    "usb-FTDI_FT232R_USB_UART_A10K5XYZ-if00-port0"};

class FakeDeviceTree {
public:
    PortFolders folders() const;
    std::string dev(const std::string& name) const { return folder_.path() + "dev/" + name; }
    // A USB serial device, or (without usb) a built-in one.
    void plug(const std::string& name, const std::string& driver, const FakeUsb* usb = nullptr);
    void unplug(const std::string& name);

private:
    TempFolder folder_;
};

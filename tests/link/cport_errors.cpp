// The error table of the component and the list of serial ports.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "link/CPort.h"
#include "link/PortBackend.h"
#include "support/TempFolder.h"

namespace {

TEST(EComPortMessages, SystemErrorSuffixAndUntranslatedTexts) {
    EXPECT_STREQ(EComPort(9, 0).what(), "SetupComm function failed (win error code: 0)");
    // Without a catalogue the translation keeps the English texts.
    TranslateComErrorMessages();
    EXPECT_EQ(ComErrorMessage(22), "A component is linked to OnRxBuf event");
}

TEST(PortList, SortIgnoresCase) {
    std::vector<std::string> names = {"COM3", "com10", "COM2", "COM1"};
    SortPortNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"COM1", "com10", "COM2", "COM3"}));
}

TEST(PortList, OnlyDeviceBackedTtysWithAKnownUartAreListed) {
    TempFolder sys;
    auto tty = [&](const std::string& name, bool device, const char* type) {
        const std::string dir = sys.path() + name;
        mkdir(dir.c_str(), 0755);
        if (device) mkdir((dir + "/device").c_str(), 0755);
        if (type) WriteWholeFile(dir + "/type", type);
    };
    tty("tty0", false, nullptr);  // virtual terminal
    tty("ttyS0", true, "4\n");    // a real 16550A
    tty("ttyS1", true, "0\n");    // a phantom port of the 8250 driver
    tty("ttyUSB0", true, nullptr);
    tty("ttyACM10", true, nullptr);
    tty("ttyACM2", true, nullptr);
    std::vector<std::string> list = {"stale"};
    ASSERT_EQ(FindSerialDevices(list, sys.path(), "/dev"), 0);
    const std::vector<std::string> expected = {"/dev/ttyACM10", "/dev/ttyACM2", "/dev/ttyS0",
                                               "/dev/ttyUSB0"};
    EXPECT_EQ(list, expected);
    EXPECT_NE(FindSerialDevices(list, sys.path() + "missing", "/dev"), 0);
}

}  // namespace

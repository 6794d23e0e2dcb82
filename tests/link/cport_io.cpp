// Reads and writes over a pseudo-terminal, the errors of operations on a
// closed port, the error table and the list of serial ports. Plain reads,
// writes and purges are covered by the frame exchange tests.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

#include "link/CPort.h"
#include "link/PortBackend.h"
#include "support/PtyPair.h"
#include "support/TempFolder.h"

namespace {

using Clock = std::chrono::steady_clock;

class CPortIo : public ::testing::Test {
protected:
    void SetUp() override {
        port.SetPort(pty.slavePath());
        port.SetEvents(TComEvents());
        port.Open();
    }
    PtyPair pty;
    TComPort port;
};

TEST_F(CPortIo, ReadAndWaitReturnAtOnceOnAnEmptyQueue) {
    uint8_t buffer[16];
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
    // Generous: a read that waited for data would take the test's whole deadline.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(port.WaitForInput(20000));
    pty.writeToHost("z");
    EXPECT_TRUE(WaitUntil([&] { return port.WaitForInput(100000); }));
    EXPECT_TRUE(port.WaitForInput(0));  // already waiting: at once
}

TEST_F(CPortIo, WriteToAStalledLineGivesUpAtTheDeadline) {
    // Nobody reads the master: the pseudo-terminal fills and stalls.
    port.Timeouts().SetWriteTotalMultiplier(0);
    port.Timeouts().SetWriteTotalConstant(300);
    std::vector<uint8_t> big(1 << 20, 0x55);
    const auto start = Clock::now();
    const int32_t sent = port.Write(big.data(), static_cast<int32_t>(big.size()));
    const auto took = Clock::now() - start;
    EXPECT_GT(sent, 0);
    EXPECT_LT(sent, static_cast<int32_t>(big.size()));
    EXPECT_GE(took, std::chrono::milliseconds(290));
    EXPECT_LT(took, std::chrono::seconds(10));
    // What was counted as sent is what the far end gets.
    EXPECT_EQ(pty.readFromHost(static_cast<size_t>(sent) + 1, std::chrono::seconds(5)).size(),
              static_cast<size_t>(sent));
}

TEST(CPortClosed, EveryOperationRaisesItsOwnCode) {
    TComPort port;
    auto codeOf = [](auto&& operation) {
        try {
            operation();
        } catch (const EComPort& e) {
            EXPECT_EQ(e.WinCode(), EBADF);
            return e.Code();
        }
        return 0;
    };
    uint8_t b[4] = {};
    EXPECT_EQ(codeOf([&] { port.Write(b, 4); }), 2);
    EXPECT_EQ(codeOf([&] { port.Read(b, 4); }), 3);
    EXPECT_EQ(codeOf([&] { port.ClearBuffer(true, true); }), 5);
    EXPECT_EQ(codeOf([&] { port.InputCount(); }), 10);
    EXPECT_EQ(codeOf([&] { port.ModemSignals(); }), 11);
}

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

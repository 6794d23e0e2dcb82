// Reads, writes, queue counts and purges over a pseudo-terminal, and the
// errors of operations on a closed port.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

#include "support/PtyPair.h"
#include "link/CPort.h"

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

TEST_F(CPortIo, WrittenBytesReachTheLineAndReceivedBytesAreRead) {
    const uint8_t frame[] = {0xFF, 0x01, 0x01, 0x51, 0x53};
    EXPECT_EQ(port.Write(frame, 5), 5);
    EXPECT_EQ(pty.readFromHost(5), std::string("\xFF\x01\x01\x51\x53", 5));

    pty.writeToHost(std::string("\xFF\x01\x02\x99\x00\x9A", 6));
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 6; }));
    uint8_t got[8] = {};
    EXPECT_EQ(port.Read(got, 2), 2);
    EXPECT_EQ(port.InputCount(), 4);
    EXPECT_EQ(port.Read(got + 2, 8), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(got), 6), std::string("\xFF\x01\x02\x99\x00\x9A", 6));
    EXPECT_EQ(port.Write(frame, 0), 0);
}

TEST_F(CPortIo, ReadOnAnEmptyQueueReturnsZeroAtOnce) {
    uint8_t buffer[16];
    const auto start = Clock::now();
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);
    EXPECT_EQ(port.InputCount(), 0);
    // Generous: a read that waited for data would take the test's whole deadline.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
}

TEST_F(CPortIo, ClearBufferDiscardsReceivedBytes) {
    pty.writeToHost("abc");
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 3; }));
    port.ClearBuffer(true, true);
    EXPECT_EQ(port.InputCount(), 0);
    pty.writeToHost("d");
    ASSERT_TRUE(WaitUntil([&] { return port.InputCount() == 1; }));
    char c = 0;
    EXPECT_EQ(port.Read(&c, 1), 1);
    EXPECT_EQ(c, 'd');
    EXPECT_NO_THROW(port.ClearBuffer(false, false));
}

TEST_F(CPortIo, WaitForInputSleepsUntilBytesOrTimeout) {
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
    EXPECT_EQ(codeOf([&] { port.LastErrors(); }), 10);
    EXPECT_EQ(codeOf([&] { port.ModemSignals(); }), 11);
}

}  // namespace

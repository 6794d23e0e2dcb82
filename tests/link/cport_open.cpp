// Opening and closing: failures, exclusivity, idempotence, handler order,
// Port and SyncMethod changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/CPort.h"
#include "support/PtyPair.h"

namespace {

using Calls = std::vector<std::string>;

// Records the handler calls of a port, in order, with the port's state.
void Log(TComPort& port, Calls& calls) {
    auto step = [&calls](const char* name) {
        return [&calls, name](TCustomComPort* p) {
            calls.push_back(name + std::string(p->Connected() ? "(open)" : "(closed)"));
        };
    };
    auto line = [&calls](const char* name) {
        return [&calls, name](TCustomComPort*, bool on) {
            calls.push_back(name + std::string(on ? "+" : "-"));
        };
    };
    port.OnBeforeOpen = step("BeforeOpen");
    port.OnAfterOpen = step("AfterOpen");
    port.OnBeforeClose = step("BeforeClose");
    port.OnAfterClose = step("AfterClose");
    port.OnCTSChange = line("CTS");
    port.OnDSRChange = line("DSR");
    port.OnRLSDChange = line("RLSD");
}

// Code, system error and message of the EComPort that fn raises.
template <typename Fn>
std::string Raised(Fn&& fn) {
    try {
        fn();
    } catch (const EComPort& e) {
        return "code " + std::to_string(e.Code()) + ", win " + std::to_string(e.WinCode()) + ": " +
               e.what();
    }
    return "nothing raised";
}

class CPortOpen : public ::testing::Test {
protected:
    void SetUp() override {
        port.SetPort(pty.slavePath());
        Log(port, calls);
    }
    PtyPair pty;
    Calls calls;  // outlives the port, whose destructor still reports
    TComPort port;
};

TEST_F(CPortOpen, FailedOpeningRaisesCodeOneAndLeavesThePortClosed) {
    TComPort holder;
    holder.SetPort(pty.slavePath());
    holder.Open();
    // Held by another handle (opening is exclusive), then no terminal.
    EXPECT_EQ(Raised([&] { port.Open(); }).substr(0, 7), "code 1,");
    port.SetPort("/dev/null");
    EXPECT_EQ(Raised([&] { port.Open(); }).substr(0, 7), "code 1,");
    port.SetPort("/dev/talvor-no-such-device");
    EXPECT_EQ(Raised([&] { port.Open(); }),
              "code 1, win 2: Unable to open com port (win error code: 2)");
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(calls, Calls(3, "BeforeOpen(closed)"));
    holder.Close();
    port.SetPort(pty.slavePath());
    port.Open();
    EXPECT_TRUE(port.Connected());
}

TEST_F(CPortOpen, OpenTwiceOpensOnceAndCloseOnClosedPortDoesNothing) {
    port.Close();
    EXPECT_TRUE(calls.empty());
    port.SetConnected(true);
    port.SetConnected(true);
    EXPECT_TRUE(port.Connected());
    port.SetConnected(false);
    port.SetConnected(false);
    EXPECT_FALSE(port.Connected());
    // Pseudo-terminals have no modem lines: every line reads off.
    EXPECT_EQ(calls, (Calls{"BeforeOpen(closed)", "AfterOpen(open)", "CTS-", "DSR-", "RLSD-",
                            "CTS-", "DSR-", "RLSD-", "BeforeClose(open)", "AfterClose(closed)"}));
}

TEST_F(CPortOpen, DestroyingAnOpenPortClosesIt) {
    Calls destroyed;
    {
        TComPort doomed;
        doomed.SetPort(pty.slavePath());
        doomed.Open();
        Log(doomed, destroyed);
    }
    EXPECT_EQ(destroyed,
              (Calls{"CTS-", "DSR-", "RLSD-", "BeforeClose(open)", "AfterClose(closed)"}));
    EXPECT_NO_THROW(port.Open());  // the device was released
}

TEST_F(CPortOpen, PortChangeReopensAndSyncMethodChangeIsRefusedWhileOpen) {
    PtyPair b;
    port.Open();
    calls.clear();
    port.SetPort(b.slavePath());
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(calls, (Calls{"CTS-", "DSR-", "RLSD-", "BeforeClose(open)", "AfterClose(closed)",
                            "BeforeOpen(closed)", "AfterOpen(open)", "CTS-", "DSR-", "RLSD-"}));
    // The new device is the one in use, and the old one is free again.
    EXPECT_EQ(port.Write("x", 1), 1);
    EXPECT_EQ(b.readFromHost(1), "x");
    TComPort other;
    other.SetPort(pty.slavePath());
    EXPECT_NO_THROW(other.Open());

    EXPECT_EQ(Raised([&] { port.SetSyncMethod(smWindowSync); }),
              "code 14, win -1: Cannot set property while connected");
    EXPECT_EQ(port.SyncMethod(), smThreadSync);
    EXPECT_NO_THROW(port.SetSyncMethod(smThreadSync));  // the same value is no change

    // While closed both are only stored.
    port.Close();
    calls.clear();
    port.SetPort(pty.slavePath());
    port.SetSyncMethod(smNone);
    EXPECT_EQ(port.SyncMethod(), smNone);
    EXPECT_FALSE(port.Connected());
    EXPECT_TRUE(calls.empty());
}

}  // namespace

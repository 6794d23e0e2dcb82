// Opening and closing: failures, exclusivity, idempotence, handler order,
// Port and SyncMethod changes, loading.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/PtyPair.h"
#include "link/CPort.h"

namespace {

// Records the handler calls of a port, in order.
struct CallLog {
    std::vector<std::string> calls;
    void attach(TComPort& port) {
        port.OnBeforeOpen = [this](TCustomComPort*) { calls.push_back("BeforeOpen"); };
        port.OnAfterOpen = [this](TCustomComPort* p) {
            calls.push_back(p->Connected() ? "AfterOpen(open)" : "AfterOpen(closed)");
        };
        port.OnBeforeClose = [this](TCustomComPort*) { calls.push_back("BeforeClose"); };
        port.OnAfterClose = [this](TCustomComPort* p) {
            calls.push_back(p->Connected() ? "AfterClose(open)" : "AfterClose(closed)");
        };
        port.OnCTSChange = [this](TCustomComPort*, bool on) { calls.push_back(on ? "CTS+" : "CTS-"); };
        port.OnDSRChange = [this](TCustomComPort*, bool on) { calls.push_back(on ? "DSR+" : "DSR-"); };
        port.OnRLSDChange = [this](TCustomComPort*, bool on) { calls.push_back(on ? "RLSD+" : "RLSD-"); };
    }
};

TEST(CPortOpen, MissingDeviceRaisesCodeOneWithSystemErrorAndStaysClosed) {
    CallLog log;
    TComPort port;
    port.SetEvents(TComEvents());
    port.SetPort("/dev/talvor-no-such-device");
    log.attach(port);
    try {
        port.Open();
        FAIL() << "opening a missing device succeeded";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code(), 1);
        EXPECT_EQ(e.WinCode(), 2);
        EXPECT_STREQ(e.what(), "Unable to open com port (win error code: 2)");
    }
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(log.calls, std::vector<std::string>{"BeforeOpen"});
    port.SetPort("/dev/null");  // exists, but is no terminal
    EXPECT_THROW(port.Open(), EComPort);
    EXPECT_FALSE(port.Connected());
}

TEST(CPortOpen, PortHeldByAnotherHandleFailsUntilReleased) {
    PtyPair pty;
    TComPort first;
    first.SetPort(pty.slavePath());
    first.Open();
    TComPort second;
    second.SetPort(pty.slavePath());
    try {
        second.Open();
        FAIL() << "a held port opened twice";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code(), 1);
        EXPECT_GT(e.WinCode(), 0);
    }
    EXPECT_FALSE(second.Connected());
    first.Close();
    second.Open();
    EXPECT_TRUE(second.Connected());
}

TEST(CPortOpen, OpenTwiceOpensOnceAndCloseOnClosedPortDoesNothing) {
    PtyPair pty;
    CallLog log;
    TComPort port;
    port.SetPort(pty.slavePath());
    log.attach(port);
    port.Close();
    EXPECT_TRUE(log.calls.empty());
    port.SetConnected(true);
    port.SetConnected(true);
    EXPECT_TRUE(port.Connected());
    port.SetConnected(false);
    port.SetConnected(false);
    EXPECT_FALSE(port.Connected());
    // Pseudo-terminals have no modem lines: every line reads off.
    const std::vector<std::string> expected = {
        "BeforeOpen", "AfterOpen(open)", "CTS-", "DSR-", "RLSD-",
        "CTS-",       "DSR-",            "RLSD-", "BeforeClose", "AfterClose(closed)"};
    EXPECT_EQ(log.calls, expected);
}

TEST(CPortOpen, PortChangeReopensWhileOpenAndOnlyStoresWhileClosed) {
    PtyPair a;
    PtyPair b;
    CallLog log;
    TComPort port;
    port.SetPort(a.slavePath());
    port.Open();
    log.attach(port);
    port.SetPort(b.slavePath());
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.Port(), b.slavePath());
    EXPECT_EQ(log.calls.front(), "CTS-");
    EXPECT_NE(std::find(log.calls.begin(), log.calls.end(), "AfterClose(closed)"), log.calls.end());
    EXPECT_EQ(log.calls.back(), "RLSD-");
    // The new device is the one in use, and the old one is free again.
    const char byte = 'x';
    EXPECT_EQ(port.Write(&byte, 1), 1);
    EXPECT_EQ(b.readFromHost(1), "x");
    TComPort other;
    other.SetPort(a.slavePath());
    EXPECT_NO_THROW(other.Open());

    port.Close();
    log.calls.clear();
    port.SetPort(a.slavePath());
    EXPECT_FALSE(port.Connected());
    EXPECT_TRUE(log.calls.empty());
}

TEST(CPortOpen, SyncMethodCannotChangeWhileOpen) {
    PtyPair pty;
    TComPort port;
    EXPECT_EQ(port.SyncMethod(), smThreadSync);
    port.SetPort(pty.slavePath());
    port.Open();
    try {
        port.SetSyncMethod(smWindowSync);
        FAIL() << "SyncMethod changed while open";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code(), 14);
        EXPECT_EQ(e.WinCode(), -1);
        EXPECT_STREQ(e.what(), "Cannot set property while connected");
    }
    EXPECT_EQ(port.SyncMethod(), smThreadSync);
    EXPECT_NO_THROW(port.SetSyncMethod(smThreadSync));  // the same value is no change
    port.Close();
    port.SetSyncMethod(smNone);
    EXPECT_EQ(port.SyncMethod(), smNone);
}

TEST(CPortOpen, LoadingStoresOnlyAndOpensAtTheEnd) {
    PtyPair pty;
    CallLog log;
    TComPort port;
    log.attach(port);
    port.BeginLoading();
    EXPECT_TRUE(port.Loading());
    port.SetPort(pty.slavePath());
    port.SetBaudRate(br19200);
    port.SetConnected(true);
    EXPECT_TRUE(log.calls.empty());
    port.EndLoading();
    EXPECT_FALSE(port.Loading());
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(pty.slaveSpeed(), 19200);
    EXPECT_EQ(log.calls.front(), "BeforeOpen");
}

TEST(CPortOpen, FailedOpeningAtEndOfLoadingGoesToTheHook) {
    std::vector<std::string> shown;
    auto saved = TCustomComPort::ShowException;
    TCustomComPort::ShowException = [&](const std::exception& e) { shown.push_back(e.what()); };
    TComPort port;
    port.BeginLoading();
    port.SetPort("/dev/talvor-no-such-device");
    port.SetConnected(true);
    EXPECT_NO_THROW(port.EndLoading());
    TCustomComPort::ShowException = saved;
    EXPECT_EQ(shown, std::vector<std::string>{"Unable to open com port (win error code: 2)"});
    EXPECT_FALSE(port.Connected());
}

TEST(CPortOpen, DestroyingAnOpenPortClosesIt) {
    PtyPair pty;
    std::vector<std::string> calls;
    {
        TComPort port;
        port.SetPort(pty.slavePath());
        port.Open();
        port.OnAfterClose = [&](TCustomComPort*) { calls.push_back("AfterClose"); };
    }
    EXPECT_EQ(calls, std::vector<std::string>{"AfterClose"});
    TComPort again;
    again.SetPort(pty.slavePath());
    EXPECT_NO_THROW(again.Open());
}

}  // namespace

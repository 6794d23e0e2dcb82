// Opening and closing (failures, exclusivity, idempotence, handler order,
// Port and SyncMethod changes), properties, settings objects and their
// re-application to the device.
#include <gtest/gtest.h>
#include <termios.h>

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

// Counts how often the line settings reach the device.
class CountingPort : public TComPort {
public:
    int applied = 0;

protected:
    void ApplyLineSettings() override {
        applied += Connected();
        TComPort::ApplyLineSettings();
    }
};

termios SlaveTermios(const PtyPair& pty) {
    termios t{};
    EXPECT_EQ(tcgetattr(pty.masterFd(), &t), 0);
    return t;
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

TEST(CPortSettings, DerivedFlowControlAndEvenBufferSizes) {
    TComPort port;
    port.Buffer().SetInputSize(1025);
    EXPECT_EQ(port.Buffer().InputSize(), 1024);
    TComFlowControl& f = port.FlowControl();
    f.SetFlowControl(fcHardware);
    EXPECT_TRUE(f.ControlRTS() == rtsHandshake && f.OutCTSFlow());
    EXPECT_EQ(f.FlowControl(), fcHardware);
    f.SetFlowControl(fcSoftware);
    EXPECT_TRUE(f.ControlRTS() == rtsDisable && !f.OutCTSFlow() && f.XonXoffIn() && f.XonXoffOut());
    EXPECT_EQ(f.FlowControl(), fcSoftware);
    f.SetFlowControl(fcCustom);  // changes nothing
    EXPECT_EQ(f.FlowControl(), fcSoftware);
    f.SetFlowControl(fcNone);
    EXPECT_EQ(f.FlowControl(), fcNone);
    // The stored setting of the product's port: handshake without CTS flow.
    f.SetControlRTS(rtsHandshake);
    EXPECT_EQ(f.FlowControl(), fcCustom);
    f.SetXonXoffIn(true);
    f.SetControlRTS(rtsDisable);
    EXPECT_EQ(f.FlowControl(), fcCustom);  // one XON/XOFF flag alone
}

TEST(CPortSettings, LineSettingsAreReappliedWhileOpenAndOnlyStoredWhileClosed) {
    PtyPair pty;
    CountingPort port;
    port.SetPort(pty.slavePath());
    port.SetBaudRate(br19200);
    port.Open();
    EXPECT_EQ(pty.slaveSpeed(), 19200);
    termios t = SlaveTermios(pty);
    EXPECT_EQ(t.c_cflag & (CSIZE | CREAD | PARENB | CSTOPB | CRTSCTS | HUPCL),
              static_cast<tcflag_t>(CS8 | CREAD));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);

    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(250000);
    EXPECT_EQ(pty.slaveSpeed(), 250000);
    port.SetBaudRate(br14400);  // not a termios constant
    EXPECT_EQ(pty.slaveSpeed(), 14400);

    // A pseudo-terminal keeps eight bits without parity whatever it is told,
    // so only stop bits and flow control show here.
    port.SetStopBits(sbTwoStopBits);
    port.FlowControl().SetFlowControl(fcSoftware);
    t = SlaveTermios(pty);
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    TComFlowControl hardware;
    hardware.SetFlowControl(fcHardware);
    port.SetFlowControl(hardware);  // whole-object assignment
    EXPECT_NE(SlaveTermios(pty).c_cflag & CRTSCTS, 0u);

    // Only a real change reaches the device, except a write of the derived
    // flow control; whole objects are copied field by field, applied once.
    auto applies = [&](auto change) {
        port.applied = 0;
        change();
        return port.applied;
    };
    EXPECT_EQ(applies([&] { port.SetBaudRate(br14400); }), 0);
    EXPECT_EQ(applies([&] { port.Parity().SetBits(prNone); }), 0);
    EXPECT_EQ(applies([&] { port.SetEventChar(7); }), 1);
    EXPECT_EQ(applies([&] { port.FlowControl().SetFlowControl(fcCustom); }), 1);
    TComParity parity;
    parity.SetReplaceChar(0x3F);
    EXPECT_EQ(applies([&] { port.SetParity(parity); }), 1);
    EXPECT_EQ(port.Parity().ReplaceChar(), 0x3F);

    port.Close();
    port.SetBaudRate(br38400);
    EXPECT_EQ(pty.slaveSpeed(), 14400);
    port.Open();
    EXPECT_EQ(pty.slaveSpeed(), 38400);

    // A rate the device rejects: while open the value is stored and the
    // port stays open; at opening the failure closes the device again.
    port.SetCustomBaudRate(0);
    EXPECT_EQ(Raised([&] { port.SetBaudRate(brCustom); }).substr(0, 7), "code 7,");
    EXPECT_EQ(port.BaudRate(), brCustom);
    EXPECT_TRUE(port.Connected());
    port.Close();
    EXPECT_EQ(Raised([&] { port.Open(); }).substr(0, 7), "code 7,");
    EXPECT_FALSE(port.Connected());
}

}  // namespace

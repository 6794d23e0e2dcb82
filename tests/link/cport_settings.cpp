// Properties, settings objects and their re-application to the device.
#include <gtest/gtest.h>
#include <termios.h>

#include "link/CPort.h"
#include "support/PtyPair.h"

namespace {

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

// The code of the EComPort that fn raises, 0 when it raises none.
template <typename Fn>
int ComCode(Fn&& fn) {
    try {
        fn();
    } catch (const EComPort& e) {
        return e.Code();
    }
    return 0;
}

termios SlaveTermios(const PtyPair& pty) {
    termios t{};
    EXPECT_EQ(tcgetattr(pty.masterFd(), &t), 0);
    return t;
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
    EXPECT_EQ(ComCode([&] { port.SetBaudRate(brCustom); }), 7);
    EXPECT_EQ(port.BaudRate(), brCustom);
    EXPECT_TRUE(port.Connected());
    port.Close();
    EXPECT_EQ(ComCode([&] { port.Open(); }), 7);
    EXPECT_FALSE(port.Connected());
}

}  // namespace

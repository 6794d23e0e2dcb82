// Properties, settings objects and their re-application to the device.
#include <gtest/gtest.h>
#include <termios.h>

#include "support/PtyPair.h"
#include "link/CPort.h"
#include "link/PortBackend.h"

namespace {

// Counts how often each group reaches the device.
class CountingPort : public TComPort {
public:
    int line = 0, timeouts = 0, buffers = 0;

protected:
    void ApplyLineSettings() override {
        if (Connected()) ++line;
        TComPort::ApplyLineSettings();
    }
    void ApplyTimeoutSettings() override {
        if (Connected()) ++timeouts;
        TComPort::ApplyTimeoutSettings();
    }
    void ApplyBufferSizes() override {
        if (Connected()) ++buffers;
        TComPort::ApplyBufferSizes();
    }
};

termios SlaveTermios(const PtyPair& pty) {
    termios t{};
    EXPECT_EQ(tcgetattr(pty.masterFd(), &t), 0);
    return t;
}

TEST(CPortSettings, EventAndErrorMasksConvertBothWays) {
    EXPECT_EQ(EventsToMask(TComPort().Events()), 0x05FFu);
    EXPECT_EQ(EventsFromMask(0x0024), (TComEvents{evTxEmpty, evRLSD}));
    EXPECT_EQ(ErrorsFromMask(0x0004, false), TComErrors());
    EXPECT_EQ(ErrorsFromMask(0x8406, true), (TComErrors{ceMode, ceIO, ceRxParity, ceOverrun}));
}

TEST(CPortSettings, DerivedFlowControlReadsAndWrites) {
    TComPort port;
    TComFlowControl& f = port.FlowControl();
    f.SetFlowControl(fcHardware);
    EXPECT_EQ(f.ControlRTS(), rtsHandshake);
    EXPECT_TRUE(f.OutCTSFlow());
    EXPECT_EQ(f.FlowControl(), fcHardware);
    f.SetFlowControl(fcSoftware);
    EXPECT_EQ(f.ControlRTS(), rtsDisable);
    EXPECT_FALSE(f.OutCTSFlow());
    EXPECT_TRUE(f.XonXoffIn() && f.XonXoffOut());
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

TEST(CPortSettings, OddBufferSizesAreStoredOneLessAndSetTheXonLimits) {
    TComPort port;
    port.Buffer().SetInputSize(1025);
    port.Buffer().SetOutputSize(2049);
    EXPECT_EQ(port.Buffer().InputSize(), 1024);
    EXPECT_EQ(port.Buffer().OutputSize(), 2048);
    PortLineSettings s = LineSettingsOf(port);
    EXPECT_EQ(s.xonLim, 256);
    EXPECT_EQ(s.xoffLim, 256);
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(250000);
    EXPECT_EQ(LineSettingsOf(port).baudRate, 250000);
}

TEST(CPortSettings, BaudRateIsReappliedWhileOpenAndOnlyStoredWhileClosed) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.slavePath());
    port.SetBaudRate(br19200);
    port.Open();
    EXPECT_EQ(pty.slaveSpeed(), 19200);
    termios t = SlaveTermios(pty);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS | HUPCL), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_NE(t.c_cflag & CREAD, 0u);

    port.SetBaudRate(br115200);
    EXPECT_EQ(pty.slaveSpeed(), 115200);
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(250000);
    EXPECT_EQ(pty.slaveSpeed(), 250000);
    port.SetBaudRate(br14400);  // not a termios constant either
    EXPECT_EQ(pty.slaveSpeed(), 14400);

    // A pseudo-terminal keeps eight bits without parity whatever it is told,
    // so only stop bits and flow control show here.
    port.Parity().SetBits(prEven);
    port.SetStopBits(sbTwoStopBits);
    port.SetDataBits(dbSeven);
    port.FlowControl().SetFlowControl(fcSoftware);
    t = SlaveTermios(pty);
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(pty.slaveSpeed(), 14400);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    port.FlowControl().SetFlowControl(fcHardware);
    EXPECT_NE(SlaveTermios(pty).c_cflag & CRTSCTS, 0u);

    port.Close();
    port.SetBaudRate(br38400);
    EXPECT_EQ(pty.slaveSpeed(), 14400);
    port.Open();
    EXPECT_EQ(pty.slaveSpeed(), 38400);
}

TEST(CPortSettings, RejectedLineSettingsRaiseCodeSeven) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.slavePath());
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(0);
    // At opening the failure closes the device again.
    try {
        port.Open();
        FAIL() << "a zero rate was applied";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code(), 7);
    }
    EXPECT_FALSE(port.Connected());
    port.SetCustomBaudRate(9600);
    port.Open();
    // While open the value is stored, the port stays open.
    EXPECT_THROW(port.SetCustomBaudRate(-5), EComPort);
    EXPECT_EQ(port.CustomBaudRate(), -5);
    EXPECT_TRUE(port.Connected());
}

TEST(CPortSettings, EachGroupIsReappliedOnlyOnARealChange) {
    PtyPair pty;
    CountingPort port;
    port.SetPort(pty.slavePath());
    port.SetEvents(TComEvents());
    port.SetBaudRate(br57600);  // closed: stored only
    port.Open();
    EXPECT_EQ(port.line, 1);
    EXPECT_EQ(port.timeouts, 1);
    EXPECT_EQ(port.buffers, 1);

    port.SetBaudRate(br57600);
    port.Parity().SetBits(prNone);
    port.FlowControl().SetXonChar(0x11);
    port.Timeouts().SetWriteTotalConstant(1000);
    port.Buffer().SetInputSize(1025);  // stored as 1024: no change
    EXPECT_EQ(port.line, 1);
    EXPECT_EQ(port.timeouts, 1);
    EXPECT_EQ(port.buffers, 1);

    port.SetEventChar(7);
    port.SetDiscardNull(true);
    port.FlowControl().SetDSRSensitivity(true);
    port.Timeouts().SetReadTotalConstant(5);
    port.Buffer().SetOutputSize(4096);
    EXPECT_EQ(port.line, 4);
    EXPECT_EQ(port.timeouts, 2);
    EXPECT_EQ(port.buffers, 2);

    // Whole-object assignment copies every field and applies once.
    TComParity parity;
    parity.SetBits(prOdd);
    parity.SetCheck(true);
    parity.SetReplaceChar(0x3F);
    port.SetParity(parity);
    EXPECT_EQ(port.line, 5);
    EXPECT_EQ(port.Parity().Bits(), prOdd);
    EXPECT_TRUE(port.Parity().Check());
    EXPECT_EQ(port.Parity().ReplaceChar(), 0x3F);
    TComTimeouts timeouts;
    timeouts.SetReadInterval(10);
    port.SetTimeouts(timeouts);
    EXPECT_EQ(port.timeouts, 3);
    EXPECT_EQ(port.Timeouts().ReadTotalConstant(), 0);
    TComFlowControl flow;
    flow.SetFlowControl(fcHardware);
    port.SetFlowControl(flow);
    EXPECT_EQ(port.line, 6);
    EXPECT_FALSE(port.FlowControl().DSRSensitivity());
    EXPECT_EQ(port.FlowControl().FlowControl(), fcHardware);
    TComBuffer buffer;
    buffer.SetInputSize(333);
    port.SetBuffer(buffer);
    EXPECT_EQ(port.buffers, 3);
    EXPECT_EQ(port.Buffer().InputSize(), 332);
    EXPECT_EQ(port.Buffer().OutputSize(), 1024);
    // Writing the derived property re-applies even when nothing changed.
    port.FlowControl().SetFlowControl(fcCustom);
    EXPECT_EQ(port.line, 7);
}

}  // namespace

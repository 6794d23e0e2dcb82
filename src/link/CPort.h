// The serial port component: one serial device as an object whose line
// settings are properties, opened and closed through Connected, with
// synchronous reads and writes and line events delivered to handler slots.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/ComSettings.h"
#include "link/ComTypes.h"
#include "link/EComPort.h"

class PortBackend;
class TComThread;
class TCustomComPort;

using TNotifyEvent = std::function<void(TCustomComPort* Sender)>;
using TRxCharEvent = std::function<void(TCustomComPort* Sender, int32_t Count)>;
using TComSignalEvent = std::function<void(TCustomComPort* Sender, bool OnOff)>;
using TComErrorEvent = std::function<void(TCustomComPort* Sender, TComErrors Errors)>;
using TRxBufEvent = std::function<void(TCustomComPort* Sender, const void* Buffer, int32_t Count)>;

class TCustomComPort {
public:
    TCustomComPort();
    virtual ~TCustomComPort();  // closes the port
    TCustomComPort(const TCustomComPort&) = delete;
    TCustomComPort& operator=(const TCustomComPort&) = delete;

    // --- properties -----------------------------------------------------
    bool Connected() const;
    void SetConnected(bool value);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    TBaudRate BaudRate() const;
    void SetBaudRate(TBaudRate value);
    int32_t CustomBaudRate() const;
    void SetCustomBaudRate(int32_t value);
    const std::string& Port() const;
    void SetPort(const std::string& value);
    TStopBits StopBits() const;
    void SetStopBits(TStopBits value);
    TDataBits DataBits() const;
    void SetDataBits(TDataBits value);
    bool DiscardNull() const;
    void SetDiscardNull(bool value);
    uint8_t EventChar() const;
    void SetEventChar(uint8_t value);
    TComEvents Events() const;
    void SetEvents(TComEvents value);
    TSyncMethod SyncMethod() const;
    void SetSyncMethod(TSyncMethod value);

    // Owned settings objects; writing one of their fields re-applies its group.
    TComParity& Parity();
    TComFlowControl& FlowControl();
    TComTimeouts& Timeouts();
    TComBuffer& Buffer();
    const TComParity& Parity() const;
    const TComFlowControl& FlowControl() const;
    const TComTimeouts& Timeouts() const;
    const TComBuffer& Buffer() const;
    // Whole-object assignment: copy every field, re-apply the group once.
    void SetParity(const TComParity& source);
    void SetFlowControl(const TComFlowControl& source);
    void SetTimeouts(const TComTimeouts& source);
    void SetBuffer(const TComBuffer& source);

    // Loading from the stored definition: between these calls setters only
    // store values; EndLoading opens the port when a stored Connected is true.
    void BeginLoading();
    void EndLoading();
    bool Loading() const;

    // --- operations (main thread) ----------------------------------------
    int32_t Write(const void* buffer, int32_t count);
    int32_t Read(void* buffer, int32_t count);
    int32_t InputCount();
    void ClearBuffer(bool input, bool output);
    // bit 0x10 CTS, 0x20 DSR, 0x40 ring, 0x80 carrier detect.
    uint32_t ModemSignals();
    TComErrors LastErrors();
    // Sleeps until at least one byte waits or the time is up (true when bytes
    // wait); returns at once when bytes already wait. Lets the exchange's
    // waits sleep on the device instead of spinning the processor.
    bool WaitForInput(int32_t timeoutMicroseconds);
    // Whether an event thread was created at the last opening and still runs
    // (it ends when the device goes away).
    bool HasEventThread() const;
    // Replaces the device access while the port is closed, so a scripted line
    // can stand in for a device (fuzzing, tests). Raises code 14 while open.
    void UseBackend(std::unique_ptr<PortBackend> backend);

    // Shows an exception that nobody else may catch: one from the opening at
    // the end of loading, or one raised by a handler of a delivered event. The
    // application points it at its standard error display; by default the
    // message goes to stderr. It runs on the main thread, except under smNone
    // (or with no executor installed), where events run on the event thread.
    static std::function<void(const std::exception&)> ShowException;

    // --- handler slots ----------------------------------------------------
    TRxCharEvent OnRxChar;
    TNotifyEvent OnTxEmpty;
    TComSignalEvent OnCTSChange;
    TComSignalEvent OnDSRChange;
    TComSignalEvent OnRLSDChange;
    TComErrorEvent OnError;
    TNotifyEvent OnBreak;
    TNotifyEvent OnRing;
    TNotifyEvent OnRxFlag;
    TNotifyEvent OnRx80Full;
    TNotifyEvent OnBeforeOpen;
    TNotifyEvent OnAfterOpen;
    TNotifyEvent OnBeforeClose;
    TNotifyEvent OnAfterClose;
    TRxBufEvent OnRxBuf;  // never raised by this system
    // The open device went away (hang-up, unplugged adapter): raised once,
    // delivered like a line event, after which the event thread ends. The port
    // stays open until its owner closes it.
    TNotifyEvent OnDeviceLost;

    // Called by the settings objects when a field changed.
    void ApplyGroupChanged(SettingsGroup group);

protected:
    // Overridable steps of opening and closing.
    virtual void OpenDevice();
    virtual void CloseDevice();
    virtual void SetupPort();
    virtual void ApplyLineSettings();
    virtual void ApplyTimeoutSettings();
    virtual void ApplyBufferSizes();

    // Callers of the slots (each calls its handler when assigned).
    virtual void DoRxChar(int32_t count);
    virtual void DoTxEmpty();
    virtual void DoCTSChange(bool onOff);
    virtual void DoDSRChange(bool onOff);
    virtual void DoRLSDChange(bool onOff);
    virtual void DoError(TComErrors errors);
    virtual void DoBreak();
    virtual void DoRing();
    virtual void DoRxFlag();
    virtual void DoRx80Full();
    virtual void DoBeforeOpen();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoAfterClose();
    virtual void DoDeviceLost();

private:
    friend class TComThread;
    struct State;
    std::unique_ptr<State> d;
    void DoOpen();
    void DoClose();
    // Runs the notification that belongs to one event (evRxChar ... evRx80Full).
    void CallNotification(TComEvent event);
    // Raises the EComPort of `code` when `error` is a failure.
    static void Check(int code, int error);
};

class TComPort : public TCustomComPort {};

// Names of the serial ports present, sorted ignoring case, locale-aware.
void EnumComPorts(std::vector<std::string>& list);

#include "link/CPort.h"

#include <cstdio>

#include "link/ComThread.h"
#include "link/PortBackend.h"

struct TCustomComPort::State {
    explicit State(TCustomComPort* self)
        : parity(self), flowControl(self), timeouts(self), buffer(self) {}

    bool connected = false;
    bool loading = false;
    TBaudRate baudRate = br9600;
    int32_t customBaudRate = 9600;
    std::string port = "COM1";
    TStopBits stopBits = sbOneStopBit;
    TDataBits dataBits = dbEight;
    bool discardNull = false;
    uint8_t eventChar = 0;
    TComEvents events = AllComEvents();
    TSyncMethod syncMethod = smThreadSync;
    TComParity parity;
    TComFlowControl flowControl;
    TComTimeouts timeouts;
    TComBuffer buffer;

    std::unique_ptr<PortBackend> backend = CreatePortBackend();
    std::unique_ptr<TComThread> thread;
    std::shared_ptr<ComPortLink> link = std::make_shared<ComPortLink>();
};

std::function<void(const std::exception&)> TCustomComPort::ShowException =
    [](const std::exception& e) { std::fprintf(stderr, "%s\n", e.what()); };

TCustomComPort::TCustomComPort() : d(std::make_unique<State>(this)) { d->link->port = this; }

TCustomComPort::~TCustomComPort() {
    try {
        DoClose();
    } catch (...) {
        // The abort step failed; the component goes away all the same.
        if (d->thread) d->thread->Stop();
        d->thread.reset();
        d->backend->close();
        d->connected = false;
    }
    d->link->port = nullptr;
}

void TCustomComPort::Check(int code, int error) {
    if (error != 0) throw EComPort(code, error);
}

// --- properties --------------------------------------------------------------

bool TCustomComPort::Connected() const { return d->connected; }

void TCustomComPort::SetConnected(bool value) {
    if (d->loading) {
        d->connected = value;
        return;
    }
    if (value)
        DoOpen();
    else
        DoClose();
}

TBaudRate TCustomComPort::BaudRate() const { return d->baudRate; }
void TCustomComPort::SetBaudRate(TBaudRate value) {
    if (d->baudRate == value) return;
    d->baudRate = value;
    ApplyLineSettings();
}

int32_t TCustomComPort::CustomBaudRate() const { return d->customBaudRate; }
void TCustomComPort::SetCustomBaudRate(int32_t value) {
    if (d->customBaudRate == value) return;
    d->customBaudRate = value;
    ApplyLineSettings();
}

const std::string& TCustomComPort::Port() const { return d->port; }
void TCustomComPort::SetPort(const std::string& value) {
    if (d->port == value) return;
    d->port = value;
    if (d->connected && !d->loading) {
        DoClose();
        DoOpen();
    }
}

TStopBits TCustomComPort::StopBits() const { return d->stopBits; }
void TCustomComPort::SetStopBits(TStopBits value) {
    if (d->stopBits == value) return;
    d->stopBits = value;
    ApplyLineSettings();
}

TDataBits TCustomComPort::DataBits() const { return d->dataBits; }
void TCustomComPort::SetDataBits(TDataBits value) {
    if (d->dataBits == value) return;
    d->dataBits = value;
    ApplyLineSettings();
}

bool TCustomComPort::DiscardNull() const { return d->discardNull; }
void TCustomComPort::SetDiscardNull(bool value) {
    if (d->discardNull == value) return;
    d->discardNull = value;
    ApplyLineSettings();
}

uint8_t TCustomComPort::EventChar() const { return d->eventChar; }
void TCustomComPort::SetEventChar(uint8_t value) {
    if (d->eventChar == value) return;
    d->eventChar = value;
    ApplyLineSettings();
}

TComEvents TCustomComPort::Events() const { return d->events; }
void TCustomComPort::SetEvents(TComEvents value) { d->events = value; }

TSyncMethod TCustomComPort::SyncMethod() const { return d->syncMethod; }
void TCustomComPort::SetSyncMethod(TSyncMethod value) {
    if (d->syncMethod == value) return;
    if (d->connected && !d->loading) throw EComPort(CError_ConnChangeProp);
    d->syncMethod = value;
}

TComParity& TCustomComPort::Parity() { return d->parity; }
TComFlowControl& TCustomComPort::FlowControl() { return d->flowControl; }
TComTimeouts& TCustomComPort::Timeouts() { return d->timeouts; }
TComBuffer& TCustomComPort::Buffer() { return d->buffer; }
const TComParity& TCustomComPort::Parity() const { return d->parity; }
const TComFlowControl& TCustomComPort::FlowControl() const { return d->flowControl; }
const TComTimeouts& TCustomComPort::Timeouts() const { return d->timeouts; }
const TComBuffer& TCustomComPort::Buffer() const { return d->buffer; }

void TCustomComPort::SetParity(const TComParity& source) {
    d->parity.CopyFieldsFrom(source);
    ApplyLineSettings();
}
void TCustomComPort::SetFlowControl(const TComFlowControl& source) {
    d->flowControl.CopyFieldsFrom(source);
    ApplyLineSettings();
}
void TCustomComPort::SetTimeouts(const TComTimeouts& source) {
    d->timeouts.CopyFieldsFrom(source);
    ApplyTimeoutSettings();
}
void TCustomComPort::SetBuffer(const TComBuffer& source) {
    d->buffer.CopyFieldsFrom(source);
    ApplyBufferSizes();
}

void TCustomComPort::ApplyGroupChanged(SettingsGroup group) {
    switch (group) {
        case SettingsGroup::LineSettings:
            ApplyLineSettings();
            break;
        case SettingsGroup::Timeouts:
            ApplyTimeoutSettings();
            break;
        case SettingsGroup::BufferSizes:
            ApplyBufferSizes();
            break;
    }
}

void TCustomComPort::BeginLoading() { d->loading = true; }

void TCustomComPort::EndLoading() {
    d->loading = false;
    if (!d->connected) return;
    d->connected = false;
    try {
        DoOpen();
    } catch (const std::exception& e) {
        if (ShowException) ShowException(e);
    }
}

bool TCustomComPort::Loading() const { return d->loading; }

bool TCustomComPort::HasEventThread() const { return d->thread && d->thread->Running(); }

void TCustomComPort::UseBackend(std::unique_ptr<PortBackend> backend) {
    if (d->connected) throw EComPort(CError_ConnChangeProp);
    d->backend = std::move(backend);
}

// --- opening and closing -----------------------------------------------------

void TCustomComPort::DoOpen() {
    if (d->connected) return;
    DoBeforeOpen();
    OpenDevice();
    d->connected = true;
    ++d->link->generation;
    try {
        SetupPort();
        if (!d->events.empty()) {
            const int32_t rx80 = static_cast<int32_t>(int64_t{d->buffer.InputSize()} * 8 / 10);
            d->thread = std::make_unique<TComThread>(this, *d->backend, d->events,
                                                     d->syncMethod, rx80, d->link);
        }
    } catch (...) {
        CloseDevice();
        d->connected = false;
        ++d->link->generation;
        throw;
    }
    DoAfterOpen();
    DoCTSChange((ModemSignals() & 0x10) != 0);
    DoDSRChange((ModemSignals() & 0x20) != 0);
    DoRLSDChange((ModemSignals() & 0x80) != 0);
}

void TCustomComPort::DoClose() {
    if (!d->connected) return;
    DoCTSChange(false);
    DoDSRChange(false);
    DoRLSDChange(false);
    DoBeforeClose();
    const int error = d->backend->abortPending();
    if (error != 0 && !d->backend->deviceGone(error)) throw EComPort(CError_PurgeFailed, error);
    if (d->thread) {
        d->thread->Stop();
        d->thread.reset();
    }
    CloseDevice();
    d->connected = false;
    ++d->link->generation;
    DoAfterClose();
}

void TCustomComPort::OpenDevice() {
    Check(CError_OpenFailed, d->backend->open(PortDevicePath(d->port), LineSettingsOf(*this)));
}

void TCustomComPort::CloseDevice() { d->backend->close(); }

void TCustomComPort::SetupPort() {
    ApplyBufferSizes();
    ApplyLineSettings();
    ApplyTimeoutSettings();
}

void TCustomComPort::ApplyLineSettings() {
    if (!d->connected || d->loading) return;
    Check(CError_SetStateFailed, d->backend->applyLine(LineSettingsOf(*this)));
}

void TCustomComPort::ApplyTimeoutSettings() {
    if (!d->connected || d->loading) return;
    PortTimeouts t;
    t.readInterval = d->timeouts.ReadInterval();
    t.readTotalMultiplier = d->timeouts.ReadTotalMultiplier();
    t.readTotalConstant = d->timeouts.ReadTotalConstant();
    t.writeTotalMultiplier = d->timeouts.WriteTotalMultiplier();
    t.writeTotalConstant = d->timeouts.WriteTotalConstant();
    Check(CError_TimeoutsFailed, d->backend->applyTimeouts(t));
}

void TCustomComPort::ApplyBufferSizes() {
    if (!d->connected || d->loading) return;
    Check(CError_SetupComFailed,
          d->backend->applyBuffers(d->buffer.InputSize(), d->buffer.OutputSize()));
}

PortLineSettings LineSettingsOf(const TCustomComPort& port) {
    PortLineSettings s;
    s.baudRate = port.BaudRate() == brCustom ? port.CustomBaudRate() : BaudRateToInt(port.BaudRate());
    s.dataBits = 5 + static_cast<int>(port.DataBits());
    s.parity = port.Parity().Bits();
    s.stopBits = port.StopBits();
    s.parityCheck = port.Parity().Check();
    s.parityReplace = s.parityCheck && port.Parity().Replace();
    s.errorChar = s.parityReplace ? port.Parity().ReplaceChar() : 0;
    const TComFlowControl& f = port.FlowControl();
    s.outCTSFlow = f.OutCTSFlow();
    s.outDSRFlow = f.OutDSRFlow();
    s.dtrControl = f.ControlDTR();
    s.dsrSensitivity = f.DSRSensitivity();
    s.txContinueOnXoff = f.TxContinueOnXoff();
    s.xonXoffOut = f.XonXoffOut();
    s.xonXoffIn = f.XonXoffIn();
    s.discardNull = port.DiscardNull();
    s.rtsControl = f.ControlRTS();
    const int32_t limit = port.Buffer().InputSize() / 4;
    s.xonLim = static_cast<uint16_t>(limit);
    s.xoffLim = static_cast<uint16_t>(limit);
    s.xonChar = f.XonChar();
    s.xoffChar = f.XoffChar();
    s.eventChar = port.EventChar();
    return s;
}

// --- operations --------------------------------------------------------------

int32_t TCustomComPort::Write(const void* buffer, int32_t count) {
    int32_t done = 0;
    Check(CError_WriteFailed, d->backend->write(buffer, count, done));
    return done;
}

int32_t TCustomComPort::Read(void* buffer, int32_t count) {
    int32_t done = 0;
    Check(CError_ReadFailed, d->backend->read(buffer, count, done));
    return done;
}

int32_t TCustomComPort::InputCount() {
    int32_t count = 0;
    Check(CError_ClearComFailed, d->backend->inputCount(count));
    return count;
}

void TCustomComPort::ClearBuffer(bool input, bool output) {
    Check(CError_PurgeFailed, d->backend->purge(input, output));
}

uint32_t TCustomComPort::ModemSignals() {
    uint32_t bits = 0;
    Check(CError_ModemStatFailed, d->backend->modem(bits));
    return bits;
}

TComErrors TCustomComPort::LastErrors() {
    uint32_t bits = 0;
    Check(CError_ClearComFailed, d->backend->errors(bits));
    return ErrorsFromMask(bits, d->parity.Check());
}

bool TCustomComPort::WaitForInput(int32_t timeoutMicroseconds) {
    bool ready = false;
    Check(CError_ClearComFailed, d->backend->waitInput(timeoutMicroseconds, ready));
    return ready;
}

void EnumComPorts(std::vector<std::string>& list) {
    std::vector<std::string> found;
    const int error = FindSerialDevices(found);
    if (error != 0) throw EComPort(CError_RegError, error);
    list = std::move(found);
}

// --- notifications -----------------------------------------------------------

void TCustomComPort::CallNotification(TComEvent event) {
    switch (event) {
        case evRxChar: {
            const int32_t n = InputCount();
            if (n > 0) DoRxChar(n);
            break;
        }
        case evTxEmpty:
            DoTxEmpty();
            break;
        case evCTS:
            DoCTSChange((ModemSignals() & 0x10) != 0);
            break;
        case evDSR:
            DoDSRChange((ModemSignals() & 0x20) != 0);
            break;
        case evRLSD:
            DoRLSDChange((ModemSignals() & 0x80) != 0);
            break;
        case evError: {
            const TComErrors errors = LastErrors();
            if (!errors.empty()) DoError(errors);
            break;
        }
        case evBreak:
            DoBreak();
            break;
        case evRing:
            DoRing();
            break;
        case evRxFlag:
            DoRxFlag();
            break;
        case evRx80Full:
            DoRx80Full();
            break;
    }
}

void TCustomComPort::DoRxChar(int32_t count) {
    if (OnRxChar) OnRxChar(this, count);
}
void TCustomComPort::DoTxEmpty() {
    if (OnTxEmpty) OnTxEmpty(this);
}
void TCustomComPort::DoCTSChange(bool onOff) {
    if (OnCTSChange) OnCTSChange(this, onOff);
}
void TCustomComPort::DoDSRChange(bool onOff) {
    if (OnDSRChange) OnDSRChange(this, onOff);
}
void TCustomComPort::DoRLSDChange(bool onOff) {
    if (OnRLSDChange) OnRLSDChange(this, onOff);
}
void TCustomComPort::DoError(TComErrors errors) {
    if (OnError) OnError(this, errors);
}
void TCustomComPort::DoBreak() {
    if (OnBreak) OnBreak(this);
}
void TCustomComPort::DoRing() {
    if (OnRing) OnRing(this);
}
void TCustomComPort::DoRxFlag() {
    if (OnRxFlag) OnRxFlag(this);
}
void TCustomComPort::DoRx80Full() {
    if (OnRx80Full) OnRx80Full(this);
}
void TCustomComPort::DoBeforeOpen() {
    if (OnBeforeOpen) OnBeforeOpen(this);
}
void TCustomComPort::DoAfterOpen() {
    if (OnAfterOpen) OnAfterOpen(this);
}
void TCustomComPort::DoBeforeClose() {
    if (OnBeforeClose) OnBeforeClose(this);
}
void TCustomComPort::DoAfterClose() {
    if (OnAfterClose) OnAfterClose(this);
}
void TCustomComPort::DoDeviceLost() {
    if (OnDeviceLost) OnDeviceLost(this);
}

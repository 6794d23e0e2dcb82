#include "link/ComSettings.h"

#include "link/CPort.h"

namespace {
// Stores v and reports whether the field changed.
template <typename T>
bool Store(T& field, T v) {
    if (field == v) return false;
    field = v;
    return true;
}
}  // namespace

// --- TComParity ------------------------------------------------------------

void TComParity::changed() {
    if (port_) port_->ApplyGroupChanged(SettingsGroup::LineSettings);
}
void TComParity::SetBits(TParityBits v) {
    if (Store(bits_, v)) changed();
}
void TComParity::SetCheck(bool v) {
    if (Store(check_, v)) changed();
}
void TComParity::SetReplace(bool v) {
    if (Store(replace_, v)) changed();
}
void TComParity::SetReplaceChar(uint8_t v) {
    if (Store(replaceChar_, v)) changed();
}
void TComParity::CopyFieldsFrom(const TComParity& o) {
    bits_ = o.bits_;
    check_ = o.check_;
    replace_ = o.replace_;
    replaceChar_ = o.replaceChar_;
}

// --- TComFlowControl -------------------------------------------------------

void TComFlowControl::changed() {
    if (port_) port_->ApplyGroupChanged(SettingsGroup::LineSettings);
}
void TComFlowControl::SetOutCTSFlow(bool v) {
    if (Store(outCTSFlow_, v)) changed();
}
void TComFlowControl::SetOutDSRFlow(bool v) {
    if (Store(outDSRFlow_, v)) changed();
}
void TComFlowControl::SetControlDTR(TDTRFlowControl v) {
    if (Store(controlDTR_, v)) changed();
}
void TComFlowControl::SetControlRTS(TRTSFlowControl v) {
    if (Store(controlRTS_, v)) changed();
}
void TComFlowControl::SetXonXoffOut(bool v) {
    if (Store(xonXoffOut_, v)) changed();
}
void TComFlowControl::SetXonXoffIn(bool v) {
    if (Store(xonXoffIn_, v)) changed();
}
void TComFlowControl::SetDSRSensitivity(bool v) {
    if (Store(dsrSensitivity_, v)) changed();
}
void TComFlowControl::SetTxContinueOnXoff(bool v) {
    if (Store(txContinueOnXoff_, v)) changed();
}
void TComFlowControl::SetXonChar(uint8_t v) {
    if (Store(xonChar_, v)) changed();
}
void TComFlowControl::SetXoffChar(uint8_t v) {
    if (Store(xoffChar_, v)) changed();
}

TFlowControl TComFlowControl::FlowControl() const {
    const bool noXonXoff = !xonXoffIn_ && !xonXoffOut_;
    if (controlRTS_ == rtsHandshake && outCTSFlow_ && noXonXoff) return fcHardware;
    if (controlRTS_ == rtsDisable && !outCTSFlow_ && xonXoffIn_ && xonXoffOut_) return fcSoftware;
    if (controlRTS_ == rtsDisable && !outCTSFlow_ && noXonXoff) return fcNone;
    return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl v) {
    if (v != fcCustom) {
        controlRTS_ = rtsDisable;
        outCTSFlow_ = false;
        xonXoffIn_ = false;
        xonXoffOut_ = false;
        if (v == fcHardware) {
            controlRTS_ = rtsHandshake;
            outCTSFlow_ = true;
        } else if (v == fcSoftware) {
            xonXoffIn_ = true;
            xonXoffOut_ = true;
        }
    }
    changed();
}

void TComFlowControl::CopyFieldsFrom(const TComFlowControl& o) {
    outCTSFlow_ = o.outCTSFlow_;
    outDSRFlow_ = o.outDSRFlow_;
    controlDTR_ = o.controlDTR_;
    controlRTS_ = o.controlRTS_;
    xonXoffOut_ = o.xonXoffOut_;
    xonXoffIn_ = o.xonXoffIn_;
    dsrSensitivity_ = o.dsrSensitivity_;
    txContinueOnXoff_ = o.txContinueOnXoff_;
    xonChar_ = o.xonChar_;
    xoffChar_ = o.xoffChar_;
}

// --- TComTimeouts ----------------------------------------------------------

void TComTimeouts::changed() {
    if (port_) port_->ApplyGroupChanged(SettingsGroup::Timeouts);
}
void TComTimeouts::SetReadInterval(int32_t v) {
    if (Store(readInterval_, v)) changed();
}
void TComTimeouts::SetReadTotalMultiplier(int32_t v) {
    if (Store(readTotalMultiplier_, v)) changed();
}
void TComTimeouts::SetReadTotalConstant(int32_t v) {
    if (Store(readTotalConstant_, v)) changed();
}
void TComTimeouts::SetWriteTotalMultiplier(int32_t v) {
    if (Store(writeTotalMultiplier_, v)) changed();
}
void TComTimeouts::SetWriteTotalConstant(int32_t v) {
    if (Store(writeTotalConstant_, v)) changed();
}
void TComTimeouts::CopyFieldsFrom(const TComTimeouts& o) {
    readInterval_ = o.readInterval_;
    readTotalMultiplier_ = o.readTotalMultiplier_;
    readTotalConstant_ = o.readTotalConstant_;
    writeTotalMultiplier_ = o.writeTotalMultiplier_;
    writeTotalConstant_ = o.writeTotalConstant_;
}

// --- TComBuffer ------------------------------------------------------------

namespace {
// Queue sizes are always even; clearing bit 0 takes an odd value one down.
int32_t EvenSize(int32_t v) { return v & ~int32_t{1}; }
}  // namespace

void TComBuffer::changed() {
    if (port_) port_->ApplyGroupChanged(SettingsGroup::BufferSizes);
}
void TComBuffer::SetInputSize(int32_t v) {
    if (Store(inputSize_, EvenSize(v))) changed();
}
void TComBuffer::SetOutputSize(int32_t v) {
    if (Store(outputSize_, EvenSize(v))) changed();
}
void TComBuffer::CopyFieldsFrom(const TComBuffer& o) {
    inputSize_ = o.inputSize_;
    outputSize_ = o.outputSize_;
}

// Settings objects owned by the serial port component. Each knows its port;
// writing a field with a different value stores it and has the port
// re-apply the field's group. Writing the same value does nothing.
#pragma once

#include <cstdint>

#include "link/ComTypes.h"

class TCustomComPort;

enum class SettingsGroup { LineSettings, Timeouts, BufferSizes };

class TComParity {
public:
    explicit TComParity(TCustomComPort* port = nullptr) : port_(port) {}
    TParityBits Bits() const { return bits_; }
    void SetBits(TParityBits v);
    bool Check() const { return check_; }
    void SetCheck(bool v);
    bool Replace() const { return replace_; }
    void SetReplace(bool v);
    uint8_t ReplaceChar() const { return replaceChar_; }
    void SetReplaceChar(uint8_t v);
    // Copies the fields only; the port re-applies once (TCustomComPort::SetParity).
    void CopyFieldsFrom(const TComParity& o);

private:
    void changed();
    TCustomComPort* port_;
    TParityBits bits_ = prNone;
    bool check_ = false;
    bool replace_ = false;
    uint8_t replaceChar_ = 0;
};

class TComFlowControl {
public:
    explicit TComFlowControl(TCustomComPort* port = nullptr) : port_(port) {}
    bool OutCTSFlow() const { return outCTSFlow_; }
    void SetOutCTSFlow(bool v);
    bool OutDSRFlow() const { return outDSRFlow_; }
    void SetOutDSRFlow(bool v);
    TDTRFlowControl ControlDTR() const { return controlDTR_; }
    void SetControlDTR(TDTRFlowControl v);
    TRTSFlowControl ControlRTS() const { return controlRTS_; }
    void SetControlRTS(TRTSFlowControl v);
    bool XonXoffOut() const { return xonXoffOut_; }
    void SetXonXoffOut(bool v);
    bool XonXoffIn() const { return xonXoffIn_; }
    void SetXonXoffIn(bool v);
    bool DSRSensitivity() const { return dsrSensitivity_; }
    void SetDSRSensitivity(bool v);
    bool TxContinueOnXoff() const { return txContinueOnXoff_; }
    void SetTxContinueOnXoff(bool v);
    uint8_t XonChar() const { return xonChar_; }
    void SetXonChar(uint8_t v);
    uint8_t XoffChar() const { return xoffChar_; }
    void SetXoffChar(uint8_t v);
    // Derived, never stored.
    TFlowControl FlowControl() const;
    void SetFlowControl(TFlowControl v);
    void CopyFieldsFrom(const TComFlowControl& o);

private:
    void changed();
    TCustomComPort* port_;
    bool outCTSFlow_ = false;
    bool outDSRFlow_ = false;
    TDTRFlowControl controlDTR_ = dtrDisable;
    TRTSFlowControl controlRTS_ = rtsDisable;
    bool xonXoffOut_ = false;
    bool xonXoffIn_ = false;
    bool dsrSensitivity_ = false;
    bool txContinueOnXoff_ = false;
    uint8_t xonChar_ = 0x11;
    uint8_t xoffChar_ = 0x13;
};

class TComTimeouts {
public:
    explicit TComTimeouts(TCustomComPort* port = nullptr) : port_(port) {}
    int32_t ReadInterval() const { return readInterval_; }
    void SetReadInterval(int32_t v);
    int32_t ReadTotalMultiplier() const { return readTotalMultiplier_; }
    void SetReadTotalMultiplier(int32_t v);
    int32_t ReadTotalConstant() const { return readTotalConstant_; }
    void SetReadTotalConstant(int32_t v);
    int32_t WriteTotalMultiplier() const { return writeTotalMultiplier_; }
    void SetWriteTotalMultiplier(int32_t v);
    int32_t WriteTotalConstant() const { return writeTotalConstant_; }
    void SetWriteTotalConstant(int32_t v);
    void CopyFieldsFrom(const TComTimeouts& o);

private:
    void changed();
    TCustomComPort* port_;
    int32_t readInterval_ = -1;
    int32_t readTotalMultiplier_ = 0;
    int32_t readTotalConstant_ = 0;
    int32_t writeTotalMultiplier_ = 100;
    int32_t writeTotalConstant_ = 1000;
};

class TComBuffer {
public:
    explicit TComBuffer(TCustomComPort* port = nullptr) : port_(port) {}
    int32_t InputSize() const { return inputSize_; }
    void SetInputSize(int32_t v);  // an odd value is stored one less
    int32_t OutputSize() const { return outputSize_; }
    void SetOutputSize(int32_t v);
    void CopyFieldsFrom(const TComBuffer& o);

private:
    void changed();
    TCustomComPort* port_;
    int32_t inputSize_ = 1024;
    int32_t outputSize_ = 1024;
};

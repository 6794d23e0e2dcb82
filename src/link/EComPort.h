// The one exception of the serial port component: a table entry plus,
// when the system gave one, its error number.
#pragma once

#include <stdexcept>
#include <string>

enum EComPortCode {
    CError_OpenFailed = 1,
    CError_WriteFailed = 2,
    CError_ReadFailed = 3,
    CError_InvalidAsync = 4,
    CError_PurgeFailed = 5,
    CError_AsyncCheck = 6,
    CError_SetStateFailed = 7,
    CError_TimeoutsFailed = 8,
    CError_SetupComFailed = 9,
    CError_ClearComFailed = 10,
    CError_ModemStatFailed = 11,
    CError_EscapeComFailed = 12,
    CError_TransmitFailed = 13,
    CError_ConnChangeProp = 14,
    CError_EnumPortsFailed = 15,
    CError_StoreFailed = 16,
    CError_LoadFailed = 17,
    CError_RegFailed = 18,
    CError_LedStateFailed = 19,
    CError_ThreadCreated = 20,
    CError_WaitFailed = 21,
    CError_HasLink = 22,
    CError_RegError = 23,
};

class EComPort : public std::runtime_error {
public:
    // winCode -1 means "no system error number": the message is the table entry alone.
    EComPort(int code, int winCode = -1);
    int Code() const { return code_; }
    int WinCode() const { return winCode_; }

private:
    int code_;
    int winCode_;
};

// Message of table entry `code` (1..23), translated when catalogues were found.
std::string ComErrorMessage(int code);

// Looks the 23 messages up once in the "cport" text domain. Start-up calls it
// after setting the locale and binding the catalogues; before that (and
// without catalogues) the English texts stand.
void TranslateComErrorMessages();

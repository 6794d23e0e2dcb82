#include "link/EComPort.h"

#include <libintl.h>

#include <cstdio>

namespace {
constexpr int kMessageCount = 23;

const char* const kEnglish[kMessageCount] = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};

// Plain pointers, constant-initialised, so an exception raised during another
// unit's static initialisation still finds its text. dgettext's results live
// as long as the process.
const char* g_messages[kMessageCount] = {
    kEnglish[0],  kEnglish[1],  kEnglish[2],  kEnglish[3],  kEnglish[4],  kEnglish[5],
    kEnglish[6],  kEnglish[7],  kEnglish[8],  kEnglish[9],  kEnglish[10], kEnglish[11],
    kEnglish[12], kEnglish[13], kEnglish[14], kEnglish[15], kEnglish[16], kEnglish[17],
    kEnglish[18], kEnglish[19], kEnglish[20], kEnglish[21], kEnglish[22],
};

std::string BuildMessage(int code, int winCode) {
    std::string text = ComErrorMessage(code);
    if (winCode != -1) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, " (win error code: %d)", winCode);
        text += suffix;
    }
    return text;
}
}  // namespace

EComPort::EComPort(int code, int winCode)
    : std::runtime_error(BuildMessage(code, winCode)), code_(code), winCode_(winCode) {}

std::string ComErrorMessage(int code) {
    if (code < 1 || code > kMessageCount) return std::string();
    return g_messages[code - 1];
}

void TranslateComErrorMessages() {
    for (int i = 0; i < kMessageCount; ++i) g_messages[i] = dgettext("cport", kEnglish[i]);
}

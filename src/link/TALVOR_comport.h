// The port host: owner of the one serial port component, the frame codec
// (SendFrame, ReadResponse) and the received-data handler for frames the
// module sends on its own.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "link/CPort.h"
#include "link/Conversions.h"

// A command frame is built in a 65-byte buffer; its size travels beside it.
constexpr int kFrameBufferSize = 65;
using TFrameBuffer = uint8_t[kFrameBufferSize];

// The most polls of the input queue one wait of ReadResponse may take.
// 40000 in normal use, 200000 during a tag programming exchange. Each poll is
// given a fixed 5 µs share of the wait, so the limits mean 200 ms and 1 s.
extern int32_t PollLimit;
constexpr int32_t kNormalPollLimit = 40000;
constexpr int32_t kProgrammingPollLimit = 200000;
// The fixed pause of the non-frame path, also in polls.
constexpr int32_t kNonFramePolls = 20000;
constexpr int32_t kPollMicroseconds = 5;
// At most this many non-frame bytes are reported at once; the rest is discarded.
constexpr int32_t kMaxNonFrameBytes = 32768;

// Hex text: two upper-case digits and one blank per byte.
std::string HexText(const uint8_t* bytes, int count);
// The checksum of a frame of `size` bytes: the sum of bytes 1 to size - 2.
uint8_t FrameChecksum(const uint8_t* frame, int size);

// The exchange's clock: how long a wait has lasted, and how it pauses. Real
// time unless replaced; a scripted line replaces it with a virtual clock so
// that a fuzzer is not slowed by the waits (waits for input itself go through
// the port's WaitForInput, which the scripted line also serves).
class ExchangeClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~ExchangeClock() = default;
    virtual TimePoint Now() = 0;
    virtual void SleepFor(std::chrono::microseconds duration) = 0;
};

// How a wait of ReadResponse ended, beside the texts it returns.
enum class ResponseStatus {
    Frame,          // a whole frame with a right checksum
    Timeout,        // fewer bytes than announced within the poll limit
    ChecksumError,  // a whole frame whose checksum is wrong
    BadLength,      // a length byte beyond the answer buffer
    NotAFrame,      // bytes that do not start with the header (reported or not)
};

class Tcom_form {
public:
    Tcom_form();  // comport1 with its stored settings
    ~Tcom_form();

    TComPort comport1;

    // Where ReadResponse and the received-data handler append their lines
    // (the main window's activity log). Lines are UTF-8 text.
    using LineSink = std::function<void(const std::string& line)>;
    void SetLineSink(LineSink sink) { lineSink_ = std::move(sink); }
    void AppendLine(const std::string& line);
    // nullptr goes back to real time.
    void SetClock(ExchangeClock* clock);

    // Watchers of whole frames, checksum included: each command frame SendFrame
    // writes, and each response frame ReadResponse accepts, whoever asked (the
    // tag list learns the read type asked for and sees every tag frame).
    using FrameWatcher = std::function<void(const uint8_t* frame, int size)>;
    void SetFrameWatchers(FrameWatcher sent, FrameWatcher received) {
        frameSent_ = std::move(sent);
        frameReceived_ = std::move(received);
    }

    std::string SendFrame(const uint8_t* frame, int size);
    ResponseStatus ReadResponse(std::string& dataText, std::string& replyText);

    // Handlers bound to comport1's slots.
    void comport1RxChar(TCustomComPort* Sender, int32_t Count);
    void comport1TxEmpty(TCustomComPort* Sender);
    void comport1CTSChange(TCustomComPort* Sender, bool OnOff);
    void comport1DSRChange(TCustomComPort* Sender, bool OnOff);

private:
    std::string WaitForBytes(int32_t n);
    std::string ReadBytes(int32_t n);
    void DiscardBothQueues();
    LineSink lineSink_;
    // Bytes known to wait unread, while one answer is read: spares asking the
    // port again for what it already said.
    int32_t knownWaiting_ = 0;
    ExchangeClock* clock_;
    FrameWatcher frameSent_;
    FrameWatcher frameReceived_;
};

extern Tcom_form* com_form;

// Characters 10 and 11 of a reply text (the reply code), or "" when shorter.
std::string ReplyCode(const std::string& replyText);

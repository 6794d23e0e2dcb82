#include "link/TALVOR_comport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

int32_t PollLimit = kNormalPollLimit;
Tcom_form* com_form = nullptr;

namespace {

class RealClock : public ExchangeClock {
public:
    TimePoint Now() override { return std::chrono::steady_clock::now(); }
    void SleepFor(std::chrono::microseconds duration) override {
        std::this_thread::sleep_for(duration);
    }
};

RealClock realClock;

std::chrono::microseconds pollsToDuration(int64_t polls) {
    return std::chrono::microseconds(polls * kPollMicroseconds);
}

std::string withoutZeroBytes(const std::string& bytes) {
    std::string out;
    for (char c : bytes)
        if (c != '\0') out += c;
    return out;
}

std::string zeroXText(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 5);
    for (unsigned char b : bytes) out += {'0', 'x', digits[b >> 4], digits[b & 0x0F], ' '};
    return out;
}

// While part of an answer waits, poll() on the device would return at once,
// so the rest is waited for on this short timer instead.
constexpr auto kPartialAnswerNap = std::chrono::microseconds(300);

// Bounds of one received-data event's work: frames taken, and time.
constexpr int kRxDrainFrames = 64;
constexpr auto kRxDrainTime = std::chrono::milliseconds(10);
// Header, reserved byte, length 65 and checksum: with this many bytes
// waiting, a frame that starts there is waiting whole.
constexpr int32_t kLargestFrame = 3 + 65 + 1;

}  // namespace

std::string HexText(const uint8_t* bytes, int count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(static_cast<size_t>(count) * 3);
    for (int i = 0; i < count; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0x0F];
        out += ' ';
    }
    return out;
}

uint8_t FrameChecksum(const uint8_t* frame, int size) {
    uint8_t sum = 0;
    for (int i = 1; i <= size - 2; ++i) sum = static_cast<uint8_t>(sum + frame[i]);
    return sum;
}

std::string ReplyCode(const std::string& replyText) {
    return replyText.size() >= 11 ? replyText.substr(9, 2) : std::string();
}

Tcom_form::Tcom_form() : clock_(&realClock) {
    comport1.BeginLoading();
    comport1.SetPort("COM1");
    comport1.SetBaudRate(br19200);
    comport1.FlowControl().SetControlDTR(dtrDisable);
    comport1.FlowControl().SetControlRTS(rtsHandshake);
    comport1.SetEvents(AllComEvents());
    comport1.SetSyncMethod(smWindowSync);
    comport1.EndLoading();
    comport1.OnRxChar = [this](TCustomComPort* s, int32_t n) { comport1RxChar(s, n); };
    comport1.OnTxEmpty = [this](TCustomComPort* s) { comport1TxEmpty(s); };
    comport1.OnCTSChange = [this](TCustomComPort* s, bool on) { comport1CTSChange(s, on); };
    comport1.OnDSRChange = [this](TCustomComPort* s, bool on) { comport1DSRChange(s, on); };
}

Tcom_form::~Tcom_form() {
    if (com_form == this) com_form = nullptr;
}

void Tcom_form::AppendLine(const std::string& line) {
    if (lineSink_) lineSink_(line);
}

void Tcom_form::SetClock(ExchangeClock* clock) { clock_ = clock ? clock : &realClock; }

void Tcom_form::DiscardBothQueues() {
    knownWaiting_ = 0;
    comport1.ClearBuffer(true, true);
}

std::string Tcom_form::SendFrame(const uint8_t* frame, int size) {
    uint8_t copy[kFrameBufferSize];
    std::copy(frame, frame + kFrameBufferSize, copy);
    size = std::clamp(size, 2, kFrameBufferSize);
    DiscardBothQueues();
    copy[size - 1] = FrameChecksum(copy, size);
    const std::string hex = HexText(copy, size);
    comport1.Write(copy, size);
    if (frameSent_) frameSent_(copy, size);
    return hex;
}

std::string Tcom_form::WaitForBytes(int32_t n) {
    if (knownWaiting_ >= n) return "ok";
    const auto deadline = clock_->Now() + pollsToDuration(PollLimit);
    for (;;) {
        const int32_t waiting = comport1.InputCount();
        knownWaiting_ = waiting;
        if (waiting >= n) return "ok";
        const auto now = clock_->Now();
        if (now >= deadline) return "timeout";
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now);
        if (waiting == 0)
            comport1.WaitForInput(static_cast<int32_t>(left.count()));
        else
            clock_->SleepFor(std::min<std::chrono::microseconds>(left, kPartialAnswerNap));
    }
}

std::string Tcom_form::ReadBytes(int32_t n) {
    char buffer[66];
    n = std::clamp<int32_t>(n, 0, sizeof buffer);
    int32_t got = 0;
    while (got < n) {
        const int32_t r = comport1.Read(buffer + got, n - got);
        if (r <= 0) break;
        got += r;
    }
    knownWaiting_ = std::max(0, knownWaiting_ - got);
    return std::string(buffer, static_cast<size_t>(got));
}

ResponseStatus Tcom_form::ReadResponse(std::string& dataText, std::string& replyText) {
    // Anything may take input between two answers.
    struct Forget {
        int32_t& count;
        ~Forget() { count = 0; }
    } forget{knownWaiting_};
    auto timedOut = [&] {
        DiscardBothQueues();
        AppendLine("***Timeout.No Response***");
        replyText = "error";
        return ResponseStatus::Timeout;
    };
    if (WaitForBytes(3) != "ok") return timedOut();
    const std::string head = ReadBytes(3);
    if (head.size() < 3) return timedOut();
    const auto h0 = static_cast<uint8_t>(head[0]);
    const auto h1 = static_cast<uint8_t>(head[1]);
    const auto h2 = static_cast<uint8_t>(head[2]);
    uint8_t sum = static_cast<uint8_t>(h1 + h2);
    std::string reply = HexText(reinterpret_cast<const uint8_t*>(head.data()), 3);

    if (h0 != 0xFF) {
        // Not a frame: give the sender a fixed pause, then report what came.
        clock_->SleepFor(pollsToDuration(kNonFramePolls));
        const int32_t waiting = comport1.InputCount();
        if (waiting == 0) return ResponseStatus::NotAFrame;
        std::string rest;
        rest.resize(static_cast<size_t>(std::min(waiting, kMaxNonFrameBytes)));
        const int32_t got = comport1.Read(rest.data(), static_cast<int32_t>(rest.size()));
        rest.resize(static_cast<size_t>(std::max(got, 0)));
        // Whatever is beyond one report is dropped so the next exchange starts clean.
        if (waiting > kMaxNonFrameBytes) comport1.ClearBuffer(true, false);
        const std::string all = head + rest;
        AppendLine("Incoming ASCII Characters >" + ByteCharacters(withoutZeroBytes(all)) +
                   "\t( As HEX >" + zeroXText(all) + ")");
        replyText = "none_protocol";
        return ResponseStatus::NotAFrame;
    }

    const int32_t length = h2;
    if (length > 65) {
        // The answer buffer holds 66 bytes after the header; never read past it.
        DiscardBothQueues();
        char line[96];
        std::snprintf(line, sizeof line,
                      "Invalid response length %d (at most 65): response discarded", length);
        AppendLine(line);
        replyText = "error";
        return ResponseStatus::BadLength;
    }
    if (WaitForBytes(length + 1) != "ok") return timedOut();
    const std::string body = ReadBytes(length + 1);
    if (static_cast<int32_t>(body.size()) < length + 1) return timedOut();
    reply += HexText(reinterpret_cast<const uint8_t*>(body.data()), length + 1);
    dataText = length >= 1 ? withoutZeroBytes(body.substr(1, static_cast<size_t>(length - 1)))
                           : std::string();
    for (int32_t i = 0; i < length; ++i)
        sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(body[i]));
    if (sum != static_cast<uint8_t>(body[static_cast<size_t>(length)])) {
        AppendLine("Checksum error in Response Array");
        replyText = "error";
        return ResponseStatus::ChecksumError;
    }
    replyText = reply;
    if (frameReceived_) {
        const std::string frame = head + body;
        frameReceived_(reinterpret_cast<const uint8_t*>(frame.data()),
                       static_cast<int>(frame.size()));
    }
    return ResponseStatus::Frame;
}

void Tcom_form::comport1RxChar(TCustomComPort*, int32_t count) {
    // A module reading at full speed leaves several frames waiting by the time
    // one event is handled. Taking them in this event saves the event thread's
    // hand-over per frame; the bounds keep the window's other events flowing.
    const auto deadline = clock_->Now() + kRxDrainTime;
    int32_t waiting = count;  // the port counted them just before this call
    for (int frames = 1;; ++frames) {
        std::string dataText, replyText;
        knownWaiting_ = waiting;
        ReadResponse(dataText, replyText);
        if (replyText == "none_protocol") return;
        AppendLine("RX > " + replyText);
        // Only after a good frame (a status word has already dealt with the
        // queue), and only while a frame cannot be cut short: a terminal
        // cannot be peeked for the next length byte, so anything less is left
        // to the next event, which waits for the rest as it always did.
        if (replyText.size() < 12 || frames >= kRxDrainFrames || clock_->Now() >= deadline)
            return;
        waiting = comport1.InputCount();
        if (waiting < kLargestFrame) return;
    }
}

// The port reports these; the module's link has no use for them.
void Tcom_form::comport1TxEmpty(TCustomComPort*) {}
void Tcom_form::comport1CTSChange(TCustomComPort*, bool) {}
void Tcom_form::comport1DSRChange(TCustomComPort*, bool) {}

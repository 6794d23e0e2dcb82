// The command exchange without windows: send a frame, wait for the answer,
// test its reply code and say what became of it. The window and the command
// line both run their commands through it, with the same log lines.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/LogLines.h"
#include "link/TALVOR_comport.h"

enum class Outcome {
    Accepted,       // a reply code the command accepts (0x66 excepted, see below)
    OtherCode,      // any other code, 0x66 included, or bytes that are no frame
    Timeout,        // no whole answer within the wait
    ChecksumError,  // a whole answer with a wrong checksum
    BadLength,      // a length byte the command (or the answer buffer) cannot take
    PortError,      // the port failed while writing or reading
};

// "accepted", "other code", "time-out", ...
const char* OutcomeText(Outcome outcome);

struct ExchangeResult {
    std::string hexText;  // the frame as sent
    std::string dataText;
    std::string replyText;
    // Index into the command's reply lines that matched, -1 when none. A
    // matched 0x66 is still Outcome::OtherCode: for every command but Read
    // Input0 it is the module's refusal, and that one caller reads the code.
    int matched = -1;
    Outcome outcome = Outcome::OtherCode;
    std::string portError;  // the port's message, with Outcome::PortError

    // The reply code, or -1 when the reply text is a status word.
    int Code() const;
    // The answer's bytes, header to checksum (none for a status word).
    std::vector<uint8_t> Frame() const;
};

// Fills a frame buffer and returns the frame's size.
using FrameBuilder = std::function<int(uint8_t* frame)>;

class ModuleExchange {
public:
    using LineSink = std::function<void(const std::string& line)>;
    // Lines go to `log`, the port's own lines (time-out, checksum) to the
    // port's line sink as always.
    ModuleExchange(Tcom_form& port, LineSink log);

    // Tag frames (0x10) that come while an answer is awaited are logged as
    // unsolicited frames and skipped, up to `count` per answer. Off (0) for
    // the window's single commands, which report what they get.
    void SetTagFramesToSkip(int count) { tagFramesToSkip_ = count; }

    // Sends, logs the TX line, reads and logs the RX line. `fields` give the
    // command's own values ({frame}, {reply} and {data} are filled in). With
    // `lengthByte` >= 0 the answer is judged by its length byte instead of
    // its code (Read Config). Errors of the port propagate as EComPort.
    ExchangeResult Run(const FrameBuilder& build, const CommandLines& lines,
                       const LineFields& fields = {}, int lengthByte = -1);
    // The same, with a port error returned as Outcome::PortError.
    ExchangeResult TryRun(const FrameBuilder& build, const CommandLines& lines,
                          const LineFields& fields = {}, int lengthByte = -1);

    // The two halves, for exchanges that judge their answer themselves.
    std::string Send(const uint8_t* frame, int size);
    ResponseStatus Read(std::string& dataText, std::string& replyText);
    void Log(const std::string& line) const;

private:
    Tcom_form& port_;
    LineSink log_;
    int tagFramesToSkip_ = 0;
};

// The reply code as two characters of a reply text, "" for a status word.
std::string ReplyCodeText(int code);

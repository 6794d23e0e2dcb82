// The command exchange every command follows: auto-open, build the frame,
// SendFrame, TX line, ReadResponse, reply code test, RX line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// If comport1 is not connected, click the main window's Open Port button.
void AutoOpen();
// Appends one line to the main window's activity log.
void LogLine(const std::string& line);

// One accepted reply code and the start of its RX line; the reply text follows.
struct ReplyLine {
    std::string code;    // two upper-case hex digits, "99"
    std::string prefix;  // "RX > Success\t\t"
    // When set, builds the prefix from the response's data text instead.
    std::function<std::string(const std::string& dataText)> prefixWithData;
};

struct ExchangeResult {
    std::string hexText;    // the frame as sent
    std::string dataText;
    std::string replyText;
    int matched = -1;       // index into the reply lines, -1 when unrecognised
};

// Fills a frame buffer and returns the frame's size. Runs after auto-open, so a
// conversion error it raises ends the command with the port already open.
using FrameBuilder = std::function<int(uint8_t* frame)>;

// The main window's shape: TX line = txPrefix + hex + txSuffix; RX line = the
// first matching reply line's prefix + reply text, or
// "RX > Unrecognized Response!" + three tabs + reply text.
ExchangeResult RunCommand(const FrameBuilder& build, const std::string& txPrefix,
                          const std::vector<ReplyLine>& replies,
                          const std::string& txSuffix = std::string());

// The parts, for dialogs whose log lines have shapes of their own.
std::string SendCommandFrame(const uint8_t* frame, int size);
void ReadCommandResponse(std::string& dataText, std::string& replyText);

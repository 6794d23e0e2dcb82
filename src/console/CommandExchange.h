// The command exchange every command follows: auto-open, build the frame,
// SendFrame, TX line, ReadResponse, reply code test, RX line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "link/LogLines.h"

// If comport1 is not connected, click the main window's Open Port button.
void AutoOpen();
// Appends one line to the main window's activity log.
void LogLine(const std::string& line);

struct ExchangeResult {
    std::string hexText;  // the frame as sent
    std::string dataText;
    std::string replyText;
    int matched = -1;  // index into the command's accepted replies, -1 when unrecognised
};

// Fills a frame buffer and returns the frame's size. Runs after auto-open, so a
// conversion error it raises ends the command with the port already open.
using FrameBuilder = std::function<int(uint8_t* frame)>;

// Runs the exchange and logs it with the command's lines; `fields` give the
// values of the command's own fields ({frame}, {reply} and {data} are filled in).
ExchangeResult RunCommand(const FrameBuilder& build, const CommandLines& lines,
                          const LineFields& fields = {});

// The parts, for exchanges that judge their answer themselves.
std::string SendCommandFrame(const uint8_t* frame, int size);
void ReadCommandResponse(std::string& dataText, std::string& replyText);

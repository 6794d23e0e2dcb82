// The main window's side of the module exchange: auto-open, and the window's
// activity log as the place the exchange's lines go.
#pragma once

#include <cstdint>
#include <string>

#include "link/LogLines.h"
#include "module/ModuleExchange.h"

// If comport1 is not connected, click the main window's Open Port button.
void AutoOpen();
// Appends one line to the main window's activity log.
void LogLine(const std::string& line);

// The exchange on comport1 that logs into the main window.
ModuleExchange WindowExchange();

// Auto-open, then the exchange, logged with the command's lines; `fields`
// give the values of the command's own fields. A frame builder's conversion
// error ends the command with the port already open.
ExchangeResult RunCommand(const FrameBuilder& build, const CommandLines& lines,
                          const LineFields& fields = {});

// The parts, for exchanges that judge their answer themselves.
std::string SendCommandFrame(const uint8_t* frame, int size);
void ReadCommandResponse(std::string& dataText, std::string& replyText);

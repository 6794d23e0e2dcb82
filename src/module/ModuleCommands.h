// Commands of the module that more than one user sends the same way.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>

#include "link/CommandTable.h"
#include "module/ModuleExchange.h"

// The configuration block: the 64 data bytes of the answer to Read Config.
using ConfigBlock = std::array<uint8_t, 64>;
// Read Config's answer: its code and the 64 bytes.
constexpr int kConfigReplyLength = 0x41;

// A frame of constant bytes: the command and its data.
FrameBuilder ConstantFrame(const CommandSpec& command, std::initializer_list<uint8_t> data = {});

// Read Config, logged as the main window logs it; any reply code with the
// full length is accepted.
ExchangeResult ReadConfig(ModuleExchange& exchange);
// The block of an accepted Read Config answer.
std::optional<ConfigBlock> ConfigBlockOf(const ExchangeResult& result);

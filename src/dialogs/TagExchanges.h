// The exchanges that writing a tag and reading it back are made of, each
// logged the way the window that owns the command logs it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "module/TagProgramming.h"

// Program Block n, with the transponder's password when one is given; the
// texts are what the log shows (the fields as typed). Runs under the
// programming poll limit. True when the module accepted the block.
bool WriteBlock(int n, const FourBytes& data, const std::array<std::string, 4>& dataTexts,
                const std::optional<FourBytes>& password,
                const std::array<std::string, 4>& passwordTexts);

// One Shot Read with this read type and block count (the main window's read
// choices are left alone), then one more wait for the tag frame after the
// acknowledgement. The tag frame's data bytes, or nothing when no tag answered.
std::optional<std::vector<uint8_t>> ReadTagOnce(uint8_t readType, uint8_t blocks);

// Read Config: the 64 bytes of the configuration block, or nothing.
std::optional<std::vector<uint8_t>> ReadConfigBlock();

// "FF 01 01 99 9B " back into its bytes (a status word gives none).
std::vector<uint8_t> BytesOfHexText(const std::string& text);

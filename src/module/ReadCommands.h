// Frames of the reading commands: Start Read (with or without the tag's
// password), One Shot Read, Stop Read and Set Auto Mode.
#pragma once

#include <cstdint>
#include <optional>

#include "module/TagProgramming.h"

// Read Tag, or Read Tag w pass when a password is given; returns the size.
int BuildReadTagFrame(uint8_t* frame, uint8_t readType, uint8_t blocks,
                      const std::optional<FourBytes>& password);
int BuildOneShotReadFrame(uint8_t* frame, uint8_t readType, uint8_t blocks);
int BuildStopReadFrame(uint8_t* frame);

struct AutoModeSettings {
    bool enabled = false;
    uint8_t readType = 3;
    uint8_t blocks = 1;
    bool sendPassword = false;
    FourBytes password{};  // travels whether or not it is to be sent
};
int BuildSetAutoModeFrame(uint8_t* frame, const AutoModeSettings& s);

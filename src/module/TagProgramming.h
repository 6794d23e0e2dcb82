// Frames of the transponder programming commands, built without windows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

using FourBytes = std::array<uint8_t, 4>;

// Program Block (0x20), or Program Block with the transponder's password
// (0x23) when one is given. Fills the frame buffer up to the checksum, which
// SendFrame adds, and returns the frame's size.
int BuildProgramBlockFrame(uint8_t* frame, uint8_t block, const FourBytes& data,
                           const std::optional<FourBytes>& password);

// The four bytes of four hexadecimal field texts. A text HexPairToByte
// refuses raises its conversion error, before anything is sent.
FourBytes FieldBytes(const std::array<std::string, 4>& texts);

// A programming parameter: the text as a decimal integer, cut to its low 8
// bits (256 is 0x00, -1 is 0xFF).
uint8_t ParameterByte(const std::string& text);

struct ProgrammingParameters {
    uint8_t wg, sg, one, zero, padf;
};
// Set Param (0x40); returns the frame's size.
int BuildSetParamFrame(uint8_t* frame, const ProgrammingParameters& p);

// The commands the program sends to the ZQ361 module.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace ReplyCodes {
constexpr uint8_t Success = 0x99;
constexpr uint8_t FlashError = 0x66;  // also "input at logic 0" for Read Input0
constexpr uint8_t Firmware = 0x50;
constexpr uint8_t TagFrame = 0x10;
}  // namespace ReplyCodes

// A command's byte and its frame's size. How the log words it, and which reply
// codes a window accepts, are the windows' (LogLines.h).
struct CommandSpec {
    uint8_t code;
    int frameSize;  // whole frame, checksum included; length byte = size - 4
};

namespace Commands {
extern const CommandSpec ReadTag;
extern const CommandSpec OneShotRead;
extern const CommandSpec StopRead;
extern const CommandSpec ReadTagWithPassword;
extern const CommandSpec ProgramBlock;
extern const CommandSpec ProgramBlockWithPassword;
extern const CommandSpec SetParam;
extern const CommandSpec SetRadf;
extern const CommandSpec Firmware;
extern const CommandSpec Reset;
extern const CommandSpec SetBaud;
extern const CommandSpec SetG1G2;
extern const CommandSpec SetByteTrack;
extern const CommandSpec Sleep;
extern const CommandSpec SetOutputs;
extern const CommandSpec ReadInput0;
extern const CommandSpec ReadConfig;
extern const CommandSpec SetA1A2A3;
extern const CommandSpec SetAutoMode;
extern const CommandSpec SetOutputParameters;
extern const CommandSpec SetI2C;
const std::vector<const CommandSpec*>& All();
const CommandSpec* Find(uint8_t code);
}  // namespace Commands

// Read type codes of the read commands and the configuration block.
namespace ReadTypes {
constexpr uint8_t ByteTrackRF64 = 1;
constexpr uint8_t Em4100Raw = 2;
constexpr uint8_t Em4100Decoded = 3;
constexpr uint8_t ByteTrackRF32 = 4;
}  // namespace ReadTypes

// Baud codes of Set Baud: 9600, 19200, 38400, 57600, 115200.
constexpr int kBaudRatesByCode[5] = {9600, 19200, 38400, 57600, 115200};

// Fills header, reserved byte, length (size - 4) and command of a frame
// buffer, then the data bytes; the checksum is SendFrame's.
void BuildFrame(uint8_t* frame, const CommandSpec& command, std::initializer_list<uint8_t> data);

// The module's gain settings: a label and the one-byte G code it stores.
struct GCode {
    const char* label;
    uint8_t code;
};
// The twelve-entry G code table, in the order the value selectors list it.
extern const GCode kGCodeTable[12];
// The seven-label subset that calibration ranges run over.
extern const GCode kCalibrationGList[7];

#include "link/CommandTable.h"

namespace Commands {
using namespace ReplyCodes;
const CommandSpec ReadTag{0x10, "Read Tag", 7, {Success}};
const CommandSpec OneShotRead{0x11, "One Shot Read", 8, {Success}};
const CommandSpec StopRead{0x12, "Stop Read", 5, {Success}};
const CommandSpec ReadTagWithPassword{0x13, "Read Tag w pass", 11, {Success}};
const CommandSpec ProgramBlock{0x20, "Program Block", 10, {Success}};
const CommandSpec ProgramBlockWithPassword{0x23, "Program Block", 14, {Success}};
const CommandSpec SetParam{0x40, "Set Param", 10, {Success}};
const CommandSpec SetRadf{0x41, "Set RADF", 6, {Success, FlashError}};
const CommandSpec Firmware{0x50, "Firmware", 5, {ReplyCodes::Firmware, FlashError}};
const CommandSpec Reset{0x51, "Reset", 5, {Success}};
const CommandSpec SetBaud{0x52, "Set Baud", 6, {Success, FlashError}};
const CommandSpec SetG1G2{0x53, "Set G1/G2", 7, {Success, FlashError}};
const CommandSpec SetByteTrack{0x55, "Set Byte Track", 10, {Success}};
const CommandSpec Sleep{0x60, "Sleep", 5, {Success}};
// Its log name depends on the data byte ("Output1>0 Output0>1" ...).
const CommandSpec SetOutputs{0x62, "Output", 6, {Success}};
const CommandSpec ReadInput0{0x63, "Read Input0", 5, {Success, FlashError}};
const CommandSpec ReadConfig{0x70, "Read Config", 5, {}};
const CommandSpec SetA1A2A3{0x81, "Set A1/A2/A3", 10, {Success, FlashError}};
const CommandSpec SetAutoMode{0x87, "Set Auto Mode", 13, {Success}};
const CommandSpec SetOutputParameters{0x88, "Set Output Parameters", 11, {Success}};
const CommandSpec SetI2C{0x90, "Set I2C", 7, {Success}};

const std::vector<const CommandSpec*>& All() {
    static const std::vector<const CommandSpec*> all{
        &ReadTag, &OneShotRead, &StopRead, &ReadTagWithPassword, &ProgramBlock,
        &ProgramBlockWithPassword, &SetParam, &SetRadf, &Firmware, &Reset, &SetBaud,
        &SetG1G2, &SetByteTrack, &Sleep, &SetOutputs, &ReadInput0, &ReadConfig,
        &SetA1A2A3, &SetAutoMode, &SetOutputParameters, &SetI2C};
    return all;
}

const CommandSpec* Find(uint8_t code) {
    for (const CommandSpec* c : All())
        if (c->code == code) return c;
    return nullptr;
}
}  // namespace Commands

void BuildFrame(uint8_t* frame, const CommandSpec& command, std::initializer_list<uint8_t> data) {
    frame[0] = 0xFF;
    frame[1] = 0x01;
    frame[2] = static_cast<uint8_t>(command.frameSize - 4);
    frame[3] = command.code;
    int i = 4;
    for (uint8_t b : data) frame[i++] = b;
}

const GCode kGCodeTable[12] = {
    {"1", 0xF8},  {"1.14", 0xD8}, {"1.46", 0xA8}, {"1.78", 0x88}, {"2", 0x78},  {"3.2", 0x48},
    {"4", 0x38},  {"5.3", 0x28},  {"8", 0x18},    {"16", 0x08},   {"24", 0x1C}, {"48", 0x0C}};

const GCode kCalibrationGList[7] = {{"1", 0xF8},  {"2", 0x78},  {"4", 0x38}, {"8", 0x18},
                                    {"16", 0x08}, {"24", 0x1C}, {"48", 0x0C}};

#include "link/CommandTable.h"

namespace Commands {
const CommandSpec ReadTag{0x10, 7};
const CommandSpec OneShotRead{0x11, 8};
const CommandSpec StopRead{0x12, 5};
const CommandSpec ReadTagWithPassword{0x13, 11};
const CommandSpec ProgramBlock{0x20, 10};
const CommandSpec ProgramBlockWithPassword{0x23, 14};
const CommandSpec SetParam{0x40, 10};
const CommandSpec SetRadf{0x41, 6};
const CommandSpec Firmware{0x50, 5};
const CommandSpec Reset{0x51, 5};
const CommandSpec SetBaud{0x52, 6};
const CommandSpec SetG1G2{0x53, 7};
const CommandSpec SetByteTrack{0x55, 10};
const CommandSpec Sleep{0x60, 5};
const CommandSpec SetOutputs{0x62, 6};
const CommandSpec ReadInput0{0x63, 5};
const CommandSpec ReadConfig{0x70, 5};
const CommandSpec SetA1A2A3{0x81, 10};
const CommandSpec SetAutoMode{0x87, 13};
const CommandSpec SetOutputParameters{0x88, 11};
const CommandSpec SetI2C{0x90, 7};

const std::vector<const CommandSpec*>& All() {
    static const std::vector<const CommandSpec*> all{&ReadTag,      &OneShotRead,
                                                     &StopRead,     &ReadTagWithPassword,
                                                     &ProgramBlock, &ProgramBlockWithPassword,
                                                     &SetParam,     &SetRadf,
                                                     &Firmware,     &Reset,
                                                     &SetBaud,      &SetG1G2,
                                                     &SetByteTrack, &Sleep,
                                                     &SetOutputs,   &ReadInput0,
                                                     &ReadConfig,   &SetA1A2A3,
                                                     &SetAutoMode,  &SetOutputParameters,
                                                     &SetI2C};
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

const GCode kGCodeTable[12] = {{"1", 0xF8}, {"1.14", 0xD8}, {"1.46", 0xA8}, {"1.78", 0x88},
                               {"2", 0x78}, {"3.2", 0x48},  {"4", 0x38},    {"5.3", 0x28},
                               {"8", 0x18}, {"16", 0x08},   {"24", 0x1C},   {"48", 0x0C}};

const GCode kCalibrationGList[7] = {{"1", 0xF8},  {"2", 0x78},  {"4", 0x38}, {"8", 0x18},
                                    {"16", 0x08}, {"24", 0x1C}, {"48", 0x0C}};

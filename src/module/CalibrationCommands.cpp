#include "module/CalibrationCommands.h"

#include "link/CommandTable.h"

int BuildSetRadfFrame(uint8_t* frame, uint8_t radf) {
    BuildFrame(frame, Commands::SetRadf, {radf});
    return Commands::SetRadf.frameSize;
}

int BuildSetAFrame(uint8_t* frame, uint8_t a1, uint8_t a2, uint8_t a3) {
    BuildFrame(frame, Commands::SetA1A2A3, {a1, a2, a3, 0x03, 0x03});
    return Commands::SetA1A2A3.frameSize;
}

int BuildSetGFrame(uint8_t* frame, uint8_t g1Code, uint8_t g2Code) {
    BuildFrame(frame, Commands::SetG1G2, {g1Code, g2Code});
    return Commands::SetG1G2.frameSize;
}

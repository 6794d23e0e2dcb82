#include "dialogs/CalibrationCommands.h"

#include <cstdio>

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

std::string SetRadfTx(uint8_t radf) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", radf);
    return std::string("TX >Set RADF (") + hex + ")\t\t\t";
}

std::string SetATx(uint8_t a1, uint8_t a2, uint8_t a3) {
    return "TX >Set A1/A2/A3 (" + std::to_string(a1) + "," + std::to_string(a2) + "," +
           std::to_string(a3) + ")\t\t";
}

std::string SetGTx(const std::string& g1Text, const std::string& g2Text) {
    return "TX >Set G1/G2 (" + g1Text + "," + g2Text + ")\t\t";
}

std::string SetGRangeTx(const std::string& g1Label, const std::string& g2Label) {
    return "TX >Set G1/G2 /" + g1Label + "," + g2Label + "\t\t";
}

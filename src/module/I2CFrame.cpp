#include "module/I2CFrame.h"

#include "link/CommandTable.h"
#include "link/Conversions.h"

uint8_t I2CAddressByte(bool enabled, const std::string& addressText) {
    if (enabled) return HexPairToByte(addressText);
    try {
        return HexPairToByte(addressText);
    } catch (const EConvertError&) {
        return 0x00;
    }
}

int BuildSetI2CFrame(uint8_t* frame, bool enabled, const std::string& addressText) {
    const uint8_t address = I2CAddressByte(enabled, addressText);
    BuildFrame(frame, Commands::SetI2C, {static_cast<uint8_t>(enabled ? 0x01 : 0x00), address});
    return Commands::SetI2C.frameSize;
}

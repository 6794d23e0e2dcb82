// The Set I2C command frame, built from the dialog's two settings.
#pragma once

#include <cstdint>
#include <string>

// The slave address byte. With I2C on, the address must be hexadecimal
// (HexPairToByte refuses it otherwise, so nothing is sent). With I2C off the
// address means nothing to the module, and an unusable one goes as 0x00 so the
// feature can always be switched off.
uint8_t I2CAddressByte(bool enabled, const std::string& addressText);

// Fills frame with Set I2C (the checksum is SendFrame's) and returns its size.
int BuildSetI2CFrame(uint8_t* frame, bool enabled, const std::string& addressText);

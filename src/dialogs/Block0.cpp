#include "dialogs/Block0.h"

#include <cstdio>

std::optional<TagType> TagTypeFromText(const std::string& text) {
    if (text.find("5555") != std::string::npos) return TagType::Q5;
    if (text.find("5557") != std::string::npos) return TagType::T5557;
    if (text.find("5551") != std::string::npos) return TagType::T5551;
    if (text.find("5552") != std::string::npos) return TagType::T5552;
    return std::nullopt;
}

std::optional<uint32_t> Block0Word(const Block0Choice& choice) {
    if (!choice.type || !choice.maxBlock) return std::nullopt;
    const uint32_t m = static_cast<uint32_t>(*choice.maxBlock);
    const bool rf64 = choice.modulation == kModulationRF64;
    switch (*choice.type) {
        case TagType::Q5: {
            uint32_t word = 0x6000F000;
            if (rf64) word |= 0x00010000;
            if (choice.passwordProtection) word |= 0x00000C00;
            return word | ((2 * m) & 0xFF);
        }
        case TagType::T5557:
        case TagType::T5551: {
            if (!choice.modulation) return std::nullopt;
            uint32_t word = rf64 ? 0x00148000 : 0x00088000;
            if (choice.passwordProtection) word |= 0x00000210;
            return word | ((m << 5) & 0xFF);
        }
        case TagType::T5552:
            return 0x00000180 | ((2 * m) & 0xFF);
    }
    return std::nullopt;
}

std::array<std::string, 4> Block0Fields(uint32_t word) {
    std::array<std::string, 4> fields;
    for (int i = 0; i < 4; ++i) {
        char text[3];
        std::snprintf(text, sizeof text, "%02X", (word >> (24 - 8 * i)) & 0xFF);
        fields[static_cast<size_t>(i)] = text;
    }
    return fields;
}

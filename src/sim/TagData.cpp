// What a virtual transponder tells the reader: Block0 decoding and the EM4100 stream.
#include "sim/SimulatedModule.h"

Block0Info decodeBlock0(uint32_t word) {
    Block0Info info;
    info.q5 = (word >> 24) == 0x60 && (word & 0xF000) == 0xF000;
    if (info.q5) {
        info.passwordProtected = (word & 0x400) != 0;
        info.modulation = (word & 0x00010000) ? TagModulation::RF64 : TagModulation::RF32;
        return info;
    }
    info.passwordProtected = (word & 0x10) != 0;
    switch ((word >> 18) & 7) {
        case 5:
            info.modulation = TagModulation::RF64;
            break;
        case 2:
            info.modulation = TagModulation::RF32;
            break;
        case 0:
            // The T5552 has no rate field; its fixed bit 8 marks it, and it is RF/32 only.
            if (word & 0x100) info.modulation = TagModulation::RF32;
            break;
        default:
            break;
    }
    return info;
}

std::array<uint8_t, 8> em4100Stream(const std::array<uint8_t, 5>& id) {
    std::array<uint8_t, 8> out{};
    int pos = 0;
    auto put = [&](int bit) {
        if (bit) out[pos / 8] |= static_cast<uint8_t>(0x80 >> (pos % 8));
        ++pos;
    };
    for (int i = 0; i < 9; ++i) put(1);
    int columns = 0;
    for (int n = 0; n < 10; ++n) {
        const int nibble = (n % 2 == 0) ? id[n / 2] >> 4 : id[n / 2] & 0x0F;
        int row = 0;
        for (int b = 3; b >= 0; --b) {
            const int bit = (nibble >> b) & 1;
            put(bit);
            row ^= bit;
        }
        put(row);
        columns ^= nibble;
    }
    for (int b = 3; b >= 0; --b) put((columns >> b) & 1);
    put(0);
    return out;
}

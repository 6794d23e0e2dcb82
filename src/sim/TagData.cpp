// What a virtual transponder tells the reader: Block0 decoding, the EM4100
// stream, and the EM4100 ID a programmable tag's blocks emulate.
#include "sim/SimulatedModule.h"

Block0Info decodeBlock0(uint32_t word) {
    Block0Info info;
    info.q5 = (word >> 24) == 0x60 && (word & 0xF000) == 0xF000;
    if (info.q5) {
        info.maxBlock = static_cast<int>(word >> 1 & 7);
        info.passwordProtected = (word & 0x400) != 0;
        info.modulation = (word & 0x00010000) ? TagModulation::RF64 : TagModulation::RF32;
        return info;
    }
    info.passwordProtected = (word & 0x10) != 0;
    info.maxBlock = static_cast<int>(word >> 5 & 7);
    switch ((word >> 18) & 7) {
        case 5:
            info.modulation = TagModulation::RF64;
            break;
        case 2:
            info.modulation = TagModulation::RF32;
            break;
        case 0:
            // The T5552 has no rate field; its fixed bit 8 marks it, and it is RF/32 only.
            if (word & 0x100) {
                info.modulation = TagModulation::RF32;
                info.maxBlock = static_cast<int>(word >> 1 & 7);
            }
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

VirtualTag VirtualTag::blankT5557() {
    VirtualTag t;
    t.programmable = true;
    t.emId = {};
    t.blocks = {0x001480E0, 0, 0, 0, 0, 0, 0, 0};
    return t;
}

namespace {

uint64_t rotatedCycle(uint32_t block1, uint32_t block2, int by) {
    const uint64_t v = uint64_t{block1} << 32 | block2;
    return by == 0 ? v : (v << by | v >> (64 - by));
}

}  // namespace

bool em4100HeaderInCycle(uint32_t block1, uint32_t block2) {
    for (int by = 0; by < 64; ++by)
        if (rotatedCycle(block1, block2, by) >> 55 == 0x1FF) return true;
    return false;
}

bool em4100IdOfCycle(uint32_t block1, uint32_t block2, std::array<uint8_t, 5>& id) {
    for (int by = 0; by < 64; ++by) {
        const uint64_t v = rotatedCycle(block1, block2, by);
        // The ten data nibbles sit after the header, five bits apart.
        std::array<uint8_t, 5> candidate{};
        for (int n = 0; n < 10; ++n) {
            const auto nibble = static_cast<uint8_t>(v >> (64 - 9 - 5 * n - 4) & 0x0F);
            candidate[static_cast<size_t>(n / 2)] |=
                n % 2 ? nibble : static_cast<uint8_t>(nibble << 4);
        }
        const auto stream = em4100Stream(candidate);
        uint64_t encoded = 0;
        for (uint8_t b : stream) encoded = encoded << 8 | b;
        if (encoded == v) {
            id = candidate;
            return true;
        }
    }
    return false;
}

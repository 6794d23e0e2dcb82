// A SimulatedModule on a hand-driven clock, and a reader of its replies that
// checks the framing on its own (not with the module's frame builder).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sim/SimulatedModule.h"

using Bytes = std::vector<uint8_t>;

struct Reply {
    uint8_t code;
    Bytes data;
};

// Splits output into frames; a broken header, length or checksum fails the test.
inline std::vector<Reply> replies(const Bytes& out) {
    std::vector<Reply> result;
    for (size_t i = 0; i < out.size();) {
        if (out.size() - i < 5 || out[i] != 0xFF || out[i + 1] != 0x01 ||
            out.size() - i < 4u + out[i + 2]) {
            ADD_FAILURE() << "no whole frame at offset " << i;
            break;
        }
        const size_t len = out[i + 2];
        unsigned sum = 0;
        for (size_t k = i + 1; k < i + 3 + len; ++k) sum += out[k];
        EXPECT_EQ(sum % 256, out[i + 3 + len]) << "checksum of frame at offset " << i;
        result.push_back({out[i + 3], Bytes(out.begin() + i + 4, out.begin() + i + 3 + len)});
        i += 4 + len;
    }
    return result;
}

inline Bytes codes(const std::vector<Reply>& rs) {
    Bytes c;
    for (const auto& r : rs) c.push_back(r.code);
    return c;
}

struct ModuleBench {
    SimulatedModule module;
    int64_t now = 1000;

    // Sends one command frame and returns what is due at once.
    Bytes send(uint8_t cmd, const Bytes& data = {}) {
        module.receive(SimulatedModule::makeFrame(cmd, data), now);
        return module.takeOutput(now);
    }
    std::vector<Reply> ask(uint8_t cmd, const Bytes& data = {}) { return replies(send(cmd, data)); }
    Bytes advance(int64_t ms) {
        now += ms;
        return module.takeOutput(now);
    }
};

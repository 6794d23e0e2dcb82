// A module gone wrong, for hardening the program: every command frame is
// answered with what broken firmware, a wrong device or a noisy line might
// send. An answer is one to three parts, each of them one of: a plain Success
// frame, a frame with a random reply code and 0 to 70 data bytes, the same
// with a wrong checksum, a frame whose length byte does not fit the bytes
// behind it, a lone header, a burst of noise, or silence. Each part goes out
// in one to four pieces with pauses of up to 150 ms between them.
//
// The generator is seeded: the same seed gives the same answers to the same
// commands, so a failure can be replayed from the seed it printed.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

class HostileAnswers {
public:
    explicit HostileAnswers(uint32_t seed) : seed_(seed), random_(seed) {}
    uint32_t seed() const { return seed_; }

    struct Piece {
        int delayMs;  // after the command frame came
        std::vector<uint8_t> bytes;
    };
    std::vector<Piece> answer();

    // A seed from the clock, for runs that print it.
    static uint32_t FreshSeed();

private:
    int uniform(int low, int high);
    std::vector<uint8_t> randomBytes(int count);

    uint32_t seed_;
    std::mt19937 random_;
};

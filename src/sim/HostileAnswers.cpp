#include "sim/HostileAnswers.h"

#include <chrono>

#include "sim/SimulatedModule.h"

namespace {

enum Part { Success, RandomFrame, BadChecksum, BrokenLength, LoneHeader, Noise, Silence, kParts };

}  // namespace

uint32_t HostileAnswers::FreshSeed() {
    return static_cast<uint32_t>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^
        std::chrono::system_clock::now().time_since_epoch().count());
}

int HostileAnswers::uniform(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random_);
}

std::vector<uint8_t> HostileAnswers::randomBytes(int count) {
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(uniform(0, 255));
    return bytes;
}

std::vector<HostileAnswers::Piece> HostileAnswers::answer() {
    static const uint8_t kCodes[] = {0x99, 0x66, 0x50, 0x10};
    std::vector<Piece> pieces;
    int at = 0;
    const int parts = uniform(1, 3);
    for (int p = 0; p < parts; ++p) {
        std::vector<uint8_t> bytes;
        const auto code = [&] {
            return uniform(0, 4) < 4 ? kCodes[uniform(0, 3)] : static_cast<uint8_t>(uniform(0, 255));
        };
        switch (static_cast<Part>(uniform(0, kParts - 1))) {
            case Success:
                bytes = SimulatedModule::makeFrame(0x99, {});
                break;
            case RandomFrame:
                bytes = SimulatedModule::makeFrame(code(), randomBytes(uniform(0, 70)));
                break;
            case BadChecksum:
                bytes = SimulatedModule::makeFrame(code(), randomBytes(uniform(0, 70)));
                bytes.back() = static_cast<uint8_t>(bytes.back() + uniform(1, 255));
                break;
            case BrokenLength:
                bytes = SimulatedModule::makeFrame(code(), randomBytes(uniform(0, 70)));
                bytes[2] = static_cast<uint8_t>(uniform(0, 255));
                break;
            case LoneHeader:
                bytes = {0xFF};
                if (uniform(0, 1)) bytes.push_back(0x01);
                break;
            case Noise:
                bytes = randomBytes(uniform(1, 300));
                break;
            case Silence:
            case kParts:
                at += uniform(0, 400);
                continue;
        }
        const int chunks = std::min<int>(uniform(1, 4), static_cast<int>(bytes.size()));
        size_t from = 0;
        for (int c = 0; c < chunks; ++c) {
            const size_t to = c + 1 == chunks ? bytes.size()
                                              : from + static_cast<size_t>(uniform(
                                                           1, static_cast<int>(bytes.size() - from) -
                                                                  (chunks - c - 1)));
            pieces.push_back({at, std::vector<uint8_t>(bytes.begin() + static_cast<long>(from),
                                                       bytes.begin() + static_cast<long>(to))});
            from = to;
            if (c + 1 < chunks) at += uniform(0, 150);
        }
    }
    return pieces;
}

#include "module/Em4100.h"

#include <cctype>
#include <cstdio>

namespace {

constexpr int kStreamBits = 64;
constexpr int kHeaderBits = 9;
constexpr int kRows = 10;
constexpr int kColumnParityAt = kHeaderBits + kRows * 5;  // bit 59
constexpr int kStopBitAt = 63;

uint64_t toWord(const Em4100Stream& s) {
    uint64_t v = 0;
    for (uint8_t byte : s) v = v << 8 | byte;
    return v;
}

Em4100Stream fromWord(uint64_t v) {
    Em4100Stream s{};
    for (int i = 7; i >= 0; --i, v >>= 8) s[static_cast<size_t>(i)] = static_cast<uint8_t>(v);
    return s;
}

// Bit p of the stream, p = 0 being the first bit sent.
int bitAt(uint64_t stream, int p) { return static_cast<int>(stream >> (kStreamBits - 1 - p) & 1); }

uint64_t rotateLeft(uint64_t v, int n) { return n == 0 ? v : (v << n | v >> (kStreamBits - n)); }

bool startsWithHeader(uint64_t stream) { return stream >> (kStreamBits - kHeaderBits) == 0x1FF; }

// The checks after the header, in stream order; "" when all pass. `passed`
// counts the checks passed before the first that failed.
std::string faultOf(uint64_t stream, Em4100Id& id, int& passed) {
    id = {};
    passed = 0;
    int columns[4] = {0, 0, 0, 0};
    for (int row = 0; row < kRows; ++row, ++passed) {
        const int first = kHeaderBits + row * 5;
        int nibble = 0, parity = 0;
        for (int k = 0; k < 4; ++k) {
            const int bit = bitAt(stream, first + k);
            nibble = nibble << 1 | bit;
            parity ^= bit;
            columns[k] ^= bit;
        }
        if (bitAt(stream, first + 4) != parity) return "row " + std::to_string(row + 1) + " parity";
        auto& byte = id[static_cast<size_t>(row / 2)];
        byte = static_cast<uint8_t>(byte | (row % 2 ? nibble : nibble << 4));
    }
    for (int k = 0; k < 4; ++k, ++passed)
        if (bitAt(stream, kColumnParityAt + k) != columns[k])
            return "column " + std::to_string(k + 1) + " parity";
    if (bitAt(stream, kStopBitAt) != 0) return "stop bit";
    return {};
}

bool isHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool isDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

std::string trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// A decimal text's value, or nothing past `limit` (the text may be long).
std::optional<unsigned> decimalUpTo(const std::string& digits, unsigned limit) {
    unsigned long value = 0;
    for (char c : digits) {
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<unsigned>(value);
}

const char kIdForms[] =
    "give 10 hexadecimal digits (1A2B3C4D5E) or facility,card in decimal (060,19806)";

}  // namespace

Em4100Stream EncodeEm4100(const Em4100Id& id) {
    uint64_t v = 0;
    int columns = 0;
    auto put = [&v](int bit) { v = v << 1 | static_cast<uint64_t>(bit); };
    for (int i = 0; i < kHeaderBits; ++i) put(1);
    for (int row = 0; row < kRows; ++row) {
        const int nibble = row % 2 ? id[static_cast<size_t>(row / 2)] & 0x0F
                                   : id[static_cast<size_t>(row / 2)] >> 4;
        int parity = 0;
        for (int b = 3; b >= 0; --b) {
            put(nibble >> b & 1);
            parity ^= nibble >> b & 1;
        }
        put(parity);
        columns ^= nibble;
    }
    for (int b = 3; b >= 0; --b) put(columns >> b & 1);
    put(0);
    return fromWord(v);
}

std::array<uint32_t, 2> Em4100Blocks(const Em4100Id& id) {
    const uint64_t v = toWord(EncodeEm4100(id));
    return {static_cast<uint32_t>(v >> 32), static_cast<uint32_t>(v)};
}

Em4100Stream StreamOfBlocks(uint32_t block1, uint32_t block2) {
    return fromWord(uint64_t{block1} << 32 | block2);
}

Em4100Check CheckEm4100Stream(const Em4100Stream& stream) {
    const uint64_t v = toWord(stream);
    Em4100Check check;
    int mostPassed = -1;
    for (int r = 0; r < kStreamBits; ++r) {
        const uint64_t rotated = rotateLeft(v, r);
        if (!startsWithHeader(rotated)) continue;
        Em4100Id id;
        int passed = 0;
        const std::string fault = faultOf(rotated, id, passed);
        if (fault.empty()) return {id, {}};
        // A run of more than nine 1 bits holds several header candidates; the
        // fault told is that of the candidate that came closest to valid.
        if (passed > mostPassed) {
            check.fault = fault;
            mostPassed = passed;
        }
    }
    if (check.fault.empty()) check.fault = "no header of nine 1 bits";
    return check;
}

std::string Em4100Hex(const Em4100Id& id) {
    char text[11];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X", id[0], id[1], id[2], id[3], id[4]);
    return text;
}

std::string Em4100Decimal(const Em4100Id& id) {
    const uint32_t v = uint32_t{id[1]} << 24 | uint32_t{id[2]} << 16 | uint32_t{id[3]} << 8 | id[4];
    char text[12];
    std::snprintf(text, sizeof text, "%010u", static_cast<unsigned>(v));
    return text;
}

std::string Em4100FacilityCard(const Em4100Id& id) {
    char text[12];
    std::snprintf(text, sizeof text, "%03u,%05u", unsigned{id[2]}, Em4100Card(id));
    return text;
}

unsigned Em4100Card(const Em4100Id& id) { return unsigned{id[3]} << 8 | id[4]; }

Em4100Id WithCard(const Em4100Id& id, unsigned card) {
    Em4100Id out = id;
    out[3] = static_cast<uint8_t>(card >> 8);
    out[4] = static_cast<uint8_t>(card);
    return out;
}

Em4100Parse ParseEm4100Id(const std::string& text) {
    const std::string t = trimmed(text);
    const size_t comma = t.find(',');
    if (comma != std::string::npos) {
        const std::string facility = trimmed(t.substr(0, comma));
        const std::string card = trimmed(t.substr(comma + 1));
        if (!isDigits(facility) || !isDigits(card))
            return {std::nullopt, "'" + t + "' is not an EM4100 ID: " + kIdForms};
        const auto f = decimalUpTo(facility, 255);
        if (!f) return {std::nullopt, "facility " + facility + " is beyond 255"};
        const auto c = decimalUpTo(card, 65535);
        if (!c) return {std::nullopt, "card number " + card + " is beyond 65535"};
        return {WithCard({0, 0, static_cast<uint8_t>(*f), 0, 0}, *c), {}};
    }
    std::string digits;
    for (char c : t) {
        if (c == ' ') continue;
        if (!isHexDigit(c)) return {std::nullopt, "'" + t + "' is not an EM4100 ID: " + kIdForms};
        digits += c;
    }
    if (digits.size() != 10) return {std::nullopt, "'" + t + "' is not an EM4100 ID: " + kIdForms};
    Em4100Id id{};
    for (size_t i = 0; i < 5; ++i)
        id[i] = static_cast<uint8_t>(std::stoul(digits.substr(2 * i, 2), nullptr, 16));
    return {id, {}};
}

#include "module/TagVerify.h"

#include <cstdio>

std::string BlockWordText(uint32_t word) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(word));
    return text;
}

std::string Em4100Difference(const Em4100Id& expected, const DecodedTag& read) {
    if (read.form != TagForm::Em4100)
        return "read back " + SpacedHex(read.data) + ", not an EM4100 ID (" + read.note +
               "), expected " + Em4100Hex(expected);
    if (read.id == expected) return {};
    return "read back EM4100 " + Em4100Hex(read.id) + ", expected " + Em4100Hex(expected);
}

std::string BlocksDifference(const std::vector<uint32_t>& expected,
                             const std::vector<uint8_t>& data) {
    if (data.size() != 4 * expected.size())
        return "read back " + std::to_string(data.size()) + " bytes, expected " +
               std::to_string(4 * expected.size());
    std::string differences;
    for (size_t b = 0; b < expected.size(); ++b) {
        const uint32_t read = uint32_t{data[4 * b]} << 24 | uint32_t{data[4 * b + 1]} << 16 |
                              uint32_t{data[4 * b + 2]} << 8 | data[4 * b + 3];
        if (read == expected[b]) continue;
        if (!differences.empty()) differences += "; ";
        differences += "block " + std::to_string(b + 1) + " read back " + BlockWordText(read) +
                       ", expected " + BlockWordText(expected[b]);
    }
    return differences;
}

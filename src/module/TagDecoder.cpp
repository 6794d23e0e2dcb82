#include "module/TagDecoder.h"

#include <algorithm>

#include "link/CommandTable.h"

namespace {

constexpr size_t kEm4100IdLength = 5;
constexpr size_t kEm4100StreamLength = 8;

DecodedTag hexOnly(DecodedTag tag, std::string note) {
    tag.form = TagForm::HexOnly;
    tag.note = std::move(note);
    return tag;
}

std::string lengthNote(size_t got, uint8_t readType, size_t expected) {
    return std::to_string(got) + " bytes do not fit " + ReadTypeName(readType) + " (" +
           std::to_string(expected) + " expected)";
}

}  // namespace

size_t ByteTrackLength(uint8_t blockCount) {
    return 4u * static_cast<size_t>(std::clamp<int>(blockCount, 1, 7));
}

std::string ReadTypeName(uint8_t readType) {
    switch (readType) {
        case ReadTypes::ByteTrackRF64:
            return "Byte Track RF/64";
        case ReadTypes::Em4100Raw:
            return "EM4100 raw";
        case ReadTypes::Em4100Decoded:
            return "EM4100 decoded";
        case ReadTypes::ByteTrackRF32:
            return "Byte Track RF/32";
        case kReadTypeUnknown:
            return "not known";
        default:
            return "read type " + std::to_string(readType);
    }
}

DecodedTag DecodeTagData(uint8_t readType, uint8_t blockCount, const uint8_t* data, size_t size) {
    DecodedTag tag;
    tag.readType = readType;
    if (size > 0) tag.data.assign(data, data + size);
    switch (readType) {
        case ReadTypes::Em4100Decoded:
            if (size != kEm4100IdLength)
                return hexOnly(tag, lengthNote(size, readType, kEm4100IdLength));
            std::copy(data, data + kEm4100IdLength, tag.id.begin());
            tag.form = TagForm::Em4100;
            return tag;
        case ReadTypes::Em4100Raw: {
            if (size != kEm4100StreamLength)
                return hexOnly(tag, lengthNote(size, readType, kEm4100StreamLength));
            Em4100Stream stream;
            std::copy(data, data + kEm4100StreamLength, stream.begin());
            const Em4100Check check = CheckEm4100Stream(stream);
            if (!check.id) return hexOnly(tag, "not a valid EM4100 stream (" + check.fault + ")");
            tag.id = *check.id;
            tag.form = TagForm::Em4100;
            return tag;
        }
        case ReadTypes::ByteTrackRF64:
        case ReadTypes::ByteTrackRF32: {
            const size_t expected = ByteTrackLength(blockCount);
            if (size != expected) return hexOnly(tag, lengthNote(size, readType, expected));
            tag.form = TagForm::ByteTrack;
            return tag;
        }
        case kReadTypeUnknown:
            return hexOnly(tag, "no read type asked for yet");
        default:
            return hexOnly(tag, "unknown " + ReadTypeName(readType));
    }
}

std::string SpacedHex(const std::vector<uint8_t>& data) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i) out += ' ';
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0x0F];
    }
    return out;
}

std::string BlocksHex(const std::vector<uint8_t>& data) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i && i % 4 == 0) out += ' ';
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0x0F];
    }
    return out;
}

std::string BytesAscii(const std::vector<uint8_t>& data) {
    std::string out;
    for (uint8_t b : data) out += (b >= 0x20 && b < 0x7F) ? static_cast<char>(b) : '.';
    return out;
}

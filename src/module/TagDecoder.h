// What a tag frame says, read by the read type and block count the module was
// asked for. The data layouts are those the simulated module documents at the
// top of sim/SimulatedModule.h. Anything that does not fit its read type is
// shown as hex only, never decoded into a wrong number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "module/Em4100.h"

// Read type codes of the read commands; 0 when none is known yet.
constexpr uint8_t kReadTypeUnknown = 0;

enum class TagForm {
    HexOnly,    // shown as hex; the note says why
    Em4100,     // an EM4100 ID (from the decoded ID or a valid raw stream)
    ByteTrack,  // blocks of four bytes
};

struct DecodedTag {
    TagForm form = TagForm::HexOnly;
    uint8_t readType = kReadTypeUnknown;
    std::vector<uint8_t> data;  // the tag frame's data bytes
    Em4100Id id{};              // TagForm::Em4100
    std::string note;           // TagForm::HexOnly: why
};

// Pure: the same arguments always give the same answer, whatever the bytes.
DecodedTag DecodeTagData(uint8_t readType, uint8_t blockCount, const uint8_t* data, size_t size);

// The byte track data length for a block count: the module sends blocks 1 to
// N, N being the count clamped to 1..7.
size_t ByteTrackLength(uint8_t blockCount);

// "EM4100 decoded", "EM4100 raw", "Byte Track RF/64", "Byte Track RF/32",
// "not known" for kReadTypeUnknown, "read type N" for other codes.
std::string ReadTypeName(uint8_t readType);

// Printed forms.
// "1A 2B 3C"
std::string SpacedHex(const std::vector<uint8_t>& data);
// "52588B45 02020202": four bytes per block.
std::string BlocksHex(const std::vector<uint8_t>& data);
// One character per byte, "." for bytes that are not printable ASCII.
std::string BytesAscii(const std::vector<uint8_t>& data);

// The tag frame path fed any frames both ways: the read type and block count
// learnt from the frames sent, each tag frame decoded by them and counted in
// the table, and the EM4100 encoding behind it.
//
// Input: records of a direction byte (even = sent by the program, odd =
// received), a length byte and that many bytes (cut short at the end). Each
// frame lives in its own allocation of exactly its size, so a read past it is
// caught.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "link/CommandTable.h"
#include "module/Em4100.h"
#include "module/TagDecoder.h"
#include "module/TagWatch.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string hexOf(const Bytes& bytes) { return SpacedHex(bytes); }

bool isRotationOf(const Em4100Stream& a, const Em4100Stream& b) {
    uint64_t x = 0, y = 0;
    for (size_t i = 0; i < 8; ++i) x = x << 8 | a[i], y = y << 8 | b[i];
    for (int r = 0; r < 64; ++r)
        if ((r == 0 ? x : (x << r | x >> (64 - r))) == y) return true;
    return false;
}

Em4100Stream rotated(const Em4100Stream& s, int r) {
    uint64_t x = 0;
    for (uint8_t b : s) x = x << 8 | b;
    if (r) x = x << r | x >> (64 - r);
    Em4100Stream out{};
    for (int i = 7; i >= 0; --i, x >>= 8) out[static_cast<size_t>(i)] = static_cast<uint8_t>(x);
    return out;
}

size_t expectedLength(uint8_t readType, uint8_t blockCount) {
    switch (readType) {
        case ReadTypes::Em4100Decoded:
            return 5;
        case ReadTypes::Em4100Raw:
            return 8;
        case ReadTypes::ByteTrackRF64:
        case ReadTypes::ByteTrackRF32:
            return 4u * std::clamp<size_t>(blockCount, 1, 7);
        default:
            return SIZE_MAX;
    }
}

// What a decoded tag may claim about the bytes it was made of.
void checkDecoded(const DecodedTag& tag, uint8_t readType, uint8_t blockCount, const Bytes& data) {
    const std::string where = ReadTypeName(readType) + " x" + std::to_string(blockCount) + ": " +
                              hexOf(data);
    FUZZ_CHECK(tag.readType == readType && tag.data == data, where);
    if (data.size() != expectedLength(readType, blockCount))
        FUZZ_CHECK(tag.form == TagForm::HexOnly, where);
    switch (tag.form) {
        case TagForm::HexOnly:
            FUZZ_CHECK(!tag.note.empty(), where);
            break;
        case TagForm::Em4100:
            if (readType == ReadTypes::Em4100Decoded) {
                FUZZ_CHECK(std::equal(data.begin(), data.end(), tag.id.begin()), where);
            } else {
                FUZZ_CHECK(readType == ReadTypes::Em4100Raw, where);
                Em4100Stream stream;
                std::copy(data.begin(), data.end(), stream.begin());
                FUZZ_CHECK(isRotationOf(EncodeEm4100(tag.id), stream), where);
            }
            break;
        case TagForm::ByteTrack:
            FUZZ_CHECK(readType == ReadTypes::ByteTrackRF64 || readType == ReadTypes::ByteTrackRF32,
                       where);
            break;
    }
    // Shown forms: one hex pair per byte, blanks between pairs or blocks.
    const size_t n = data.size();
    FUZZ_CHECK(SpacedHex(data).size() == (n ? 3 * n - 1 : 0), where);
    FUZZ_CHECK(BlocksHex(data).size() == 2 * n + (n ? (n - 1) / 4 : 0), where);
    FUZZ_CHECK(BytesAscii(data).size() == n, where);
}

// Any five bytes are an ID that survives encoding, any point of the tag's
// cycle, the two-block form and both typed forms.
void checkEm4100RoundTrip(const Em4100Id& id, int rotation) {
    const std::string where = Em4100Hex(id);
    const Em4100Stream stream = EncodeEm4100(id);
    const Em4100Check check = CheckEm4100Stream(rotated(stream, rotation));
    FUZZ_CHECK(check.id && *check.id == id, where + " rotated by " + std::to_string(rotation) +
                                                ": " + check.fault);
    const auto blocks = Em4100Blocks(id);
    FUZZ_CHECK(StreamOfBlocks(blocks[0], blocks[1]) == stream, where);
    const Em4100Parse hex = ParseEm4100Id(where);
    FUZZ_CHECK(hex.id && *hex.id == id, where);
    const Em4100Parse card = ParseEm4100Id(Em4100FacilityCard(id));
    FUZZ_CHECK(card.id && *card.id == WithCard({0, 0, id[2], 0, 0}, Em4100Card(id)),
               Em4100FacilityCard(id));
}

// Any eight bytes: a valid stream names an ID that encodes back to it.
void checkAnyStream(const Em4100Stream& stream) {
    const Em4100Check check = CheckEm4100Stream(stream);
    if (check.id)
        FUZZ_CHECK(isRotationOf(EncodeEm4100(*check.id), stream), Em4100Hex(*check.id));
    else
        FUZZ_CHECK(!check.fault.empty(), "a refused stream without a reason");
}

// Any typed text: an ID or a reason, and a hex ID is the digits typed.
void checkTyped(const std::string& text) {
    const Em4100Parse parsed = ParseEm4100Id(text);
    FUZZ_CHECK(parsed.id.has_value() == parsed.error.empty(), text);
    if (!parsed.id || text.find(',') != std::string::npos) return;
    std::string digits;
    for (char c : text)
        if (c != ' ' && c != '\t') digits += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    FUZZ_CHECK(digits == Em4100Hex(*parsed.id), text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    TagWatch watch(4);  // a small table, so rows are pushed out too
    int64_t now = 0;
    size_t at = 0;
    while (at + 2 <= size) {
        const bool received = input[at] & 1;
        const size_t length = std::min<size_t>(input[at + 1], size - at - 2);
        const Bytes frame(input + at + 2, input + at + 2 + length);
        at += 2 + length;
        if (!received) {
            watch.FrameSent(frame.data(), frame.size());
            continue;
        }
        const uint8_t readType = watch.Requests().ReadType();
        const uint8_t blockCount = watch.Requests().BlockCount();
        const bool tagFrame = frame.size() >= 5 && frame[0] == 0xFF &&
                              size_t{frame[2]} + 4 == frame.size() &&
                              frame[3] == ReplyCodes::TagFrame;
        FUZZ_CHECK(watch.FrameReceived(frame.data(), frame.size(), ++now) == tagFrame,
                   hexOf(frame));
        if (!tagFrame) continue;
        const Bytes data(frame.begin() + 4, frame.end() - 1);
        const DecodedTag tag = DecodeTagData(readType, blockCount, data.data(), data.size());
        checkDecoded(tag, readType, blockCount, data);

        // The frame just counted is in the table, seen now.
        const TagTable& table = watch.Table();
        FUZZ_CHECK(table.Size() >= 1 && table.Size() <= 4, hexOf(frame));
        bool found = false;
        for (size_t i = 0; i < table.Size(); ++i) {
            const TagRow& row = table.Row(i);
            const auto texts = row.tag.form == TagForm::HexOnly
                                   ? table.RowTexts(i, [](int64_t) { return std::string(); })
                                   : std::vector<std::string>();
            FUZZ_CHECK(texts.empty() || texts[TagTable::Tag] == SpacedHex(row.tag.data),
                       hexOf(row.tag.data));
            found = found || (row.lastSeenMs == now && row.count >= 1);
        }
        FUZZ_CHECK(found, hexOf(frame));

        if (data.size() >= 5) {
            Em4100Id id;
            std::copy(data.begin(), data.begin() + 5, id.begin());
            checkEm4100RoundTrip(id, data.size() > 5 ? data[5] % 64 : 0);
        }
        if (data.size() >= 8) {
            Em4100Stream stream;
            std::copy(data.begin(), data.begin() + 8, stream.begin());
            checkAnyStream(stream);
        }
    }
    checkTyped(std::string(reinterpret_cast<const char*>(input), size));
    return 0;
}

// Tag frames decoded by the read type asked for, and counted one row per tag.
#include <gtest/gtest.h>

#include "module/TagWatch.h"
#include "sim/SimulatedModule.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes streamBytes(const Em4100Id& id, int rotateBy, int flipBit = -1) {
    const Em4100Stream s = EncodeEm4100(id);
    Bytes out(8, 0);
    for (int i = 0; i < 64; ++i) {
        const int from = (i + rotateBy) % 64;
        int bit = s[from / 8] >> (7 - from % 8) & 1;
        if (from == flipBit) bit ^= 1;
        if (bit) out[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
    }
    return out;
}

// FF 01 L code data checksum, as the simulated module builds them.
Bytes frame(uint8_t code, const Bytes& data) { return SimulatedModule::makeFrame(code, data); }

std::string hhmm(int64_t ms) { return std::to_string(ms); }

const Em4100Id kId{0x1A, 0x2B, 0x3C, 0x4D, 0x5E};

TEST(TagDecoding, EachReadTypeOnlyWhenTheLengthFits) {
    const struct {
        uint8_t type, blocks;
        Bytes data;
        const char *tag, *decimal, *ascii, *note;
    } rows[] = {
        {3, 1, {0x1A, 0x2B, 0x3C, 0x4D, 0x5E}, "1A2B3C4D5E", "0725372254", "", ""},
        {3,
         1,
         {0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0},
         "1A 2B 3C 4D 5E 00",
         "",
         "",
         "6 bytes do not fit EM4100 decoded (5 expected)"},
        {2, 1, streamBytes(kId, 20), "1A2B3C4D5E", "0725372254", "", ""},
        {2, 1, streamBytes(kId, 0, 30), "FF 8E 85 BB B0 9D AB BE", "", "",
         "not a valid EM4100 stream (row 5 parity)"},
        {2,
         1,
         {0xFF, 0x8E, 0x85, 0xB9, 0xB0},
         "FF 8E 85 B9 B0",
         "",
         "",
         "5 bytes do not fit EM4100 raw (8 expected)"},
        {1,
         2,
         {0x52, 0x58, 0x8B, 0x45, 0x41, 0x00, 0x7E, 0x7F},
         "52588B45 41007E7F",
         "",
         "RX.EA.~.",
         ""},
        {4, 0, {0x31, 0x32, 0x33, 0x34}, "31323334", "", "1234", ""},
        {1,
         2,
         {0x52, 0x58, 0x8B, 0x45},
         "52 58 8B 45",
         "",
         "",
         "4 bytes do not fit Byte Track RF/64 (8 expected)"},
        {0,
         1,
         {0x1A, 0x2B, 0x3C, 0x4D, 0x5E},
         "1A 2B 3C 4D 5E",
         "",
         "",
         "no read type asked for yet"},
        {9, 1, {}, "", "", "", "unknown read type 9"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.tag);
        TagTable table;
        table.Record(DecodeTagData(r.type, r.blocks, r.data.data(), r.data.size()), 5);
        const auto texts = table.RowTexts(0, hhmm);
        EXPECT_EQ(texts[TagTable::Tag], r.tag);
        EXPECT_EQ(texts[TagTable::Decimal], r.decimal);
        EXPECT_EQ(texts[TagTable::Ascii], r.ascii);
        EXPECT_EQ(texts[TagTable::Note], r.note);
    }
}

TEST(TagWatch, LearnsTheReadTypeFromTheFramesAndCountsEachTagOnce) {
    TagWatch watch;
    auto sent = [&watch](uint8_t code, const Bytes& data) {
        const Bytes f = frame(code, data);
        watch.FrameSent(f.data(), f.size());
    };
    auto received = [&watch](uint8_t code, const Bytes& data, int64_t at) {
        const Bytes f = frame(code, data);
        return watch.FrameReceived(f.data(), f.size(), at);
    };
    const Bytes id(kId.begin(), kId.end());

    sent(0x10, {3, 1});  // Read Tag, EM4100 decoded
    EXPECT_FALSE(received(0x99, {}, 10));
    for (int64_t at : {10, 20, 30}) EXPECT_TRUE(received(0x10, id, at));
    sent(0x87, {1, 1, 2, 0, 0, 0, 0, 0});  // Set Auto Mode: Byte Track RF/64, 2 blocks
    received(0x10, {0x52, 0x58, 0x8B, 0x45, 2, 2, 2, 2}, 40);
    // The configuration report shows EM4100 raw: the same ID as a stream is the same tag.
    Bytes config(64, 0);
    config[24] = 2;
    config[25] = 1;
    sent(0x70, {});
    received(0x99, config, 50);
    received(0x10, streamBytes(kId, 7), 60);

    const TagTable& table = watch.Table();
    ASSERT_EQ(table.Size(), 2u);
    EXPECT_EQ(table.Row(0).count, 4u);
    EXPECT_EQ(table.Row(0).firstSeenMs, 10);
    EXPECT_EQ(table.Row(0).lastSeenMs, 60);
    EXPECT_EQ(table.Csv(hhmm),
              "Tag,Decimal,\"Facility,Card\",ASCII,Count,Read Type,First Seen,Last Seen,Note\n"
              "1A2B3C4D5E,0725372254,\"060,19806\",,4,EM4100 raw,10,60,\n"
              "52588B45 02020202,,,RX.E....,1,Byte Track RF/64,40,40,\n");
}

TEST(TagTable, ANewTagBeyondTheMaximumPushesOutTheOldestAndClearEmptiesIt) {
    TagTable table(2);
    for (uint8_t b : {1, 2, 1, 3})
        table.Record(DecodeTagData(3, 1, Bytes{0, 0, 0, 0, b}.data(), 5), b);
    ASSERT_EQ(table.Size(), 2u);
    EXPECT_EQ(table.Row(0).tag.id[4], 2);
    EXPECT_EQ(table.Row(1).tag.id[4], 3);
    EXPECT_EQ(table.FirstRowNumber(), 1u);
    table.Record(DecodeTagData(3, 1, Bytes{0, 0, 0, 0, 2}.data(), 5), 9);
    EXPECT_EQ(table.Row(0).count, 2u);  // still found after the shift
    table.Clear();
    EXPECT_EQ(table.Size(), 0u);
    EXPECT_EQ(table.FirstRowNumber(), 3u);
}

}  // namespace

// EM4100 streams, their checks, printed forms and typed IDs, and the IDs of
// a programming series, from a start and count or from a file.
#include "module/Em4100.h"

#include <gtest/gtest.h>

#include "module/IdSeries.h"

namespace {

Em4100Stream rotated(const Em4100Stream& s, int n) {
    Em4100Stream out{};
    for (int i = 0; i < 64; ++i) {
        const int from = (i + n) % 64;
        if (s[from / 8] >> (7 - from % 8) & 1) out[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
    }
    return out;
}

Em4100Stream flipped(Em4100Stream s, int bit) {
    s[bit / 8] ^= static_cast<uint8_t>(0x80 >> (bit % 8));
    return s;
}

TEST(Em4100, WorkedIdsTheirBlocksPrintedFormsAndEveryRotationReadBack) {
    const struct {
        Em4100Id id;
        uint32_t block1, block2;
        const char *hex, *decimal, *facilityCard;
    } rows[] = {
        {{0x1A, 0x2B, 0x3C, 0x4D, 0x5E},
         0xFF8E85B9,
         0xB09DABBE,
         "1A2B3C4D5E",
         "0725372254",
         "060,19806"},
        {{0, 0, 0, 0, 0}, 0xFF800000, 0x00000000, "0000000000", "0000000000", "000,00000"},
        {{1, 2, 3, 4, 5}, 0xFF806028, 0x0C048142, "0102030405", "0033752069", "003,01029"},
        // Runs of 13 ones: many header candidates, one valid.
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         0xFFFBDEF7,
         0xBDEF7BC0,
         "FFFFFFFFFF",
         "4294967295",
         "255,65535"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.hex);
        EXPECT_EQ(Em4100Blocks(r.id), (std::array<uint32_t, 2>{r.block1, r.block2}));
        EXPECT_EQ(Em4100Hex(r.id), r.hex);
        EXPECT_EQ(Em4100Decimal(r.id), r.decimal);
        EXPECT_EQ(Em4100FacilityCard(r.id), r.facilityCard);
        const Em4100Stream stream = StreamOfBlocks(r.block1, r.block2);
        for (int n = 0; n < 64; ++n) {
            const Em4100Check check = CheckEm4100Stream(rotated(stream, n));
            ASSERT_TRUE(check.id) << "rotation " << n << ": " << check.fault;
            EXPECT_EQ(*check.id, r.id) << "rotation " << n;
        }
    }
}

TEST(Em4100, EachDamagedCheckIsFoundAndNamed) {
    const Em4100Stream good = EncodeEm4100({0x1A, 0x2B, 0x3C, 0x4D, 0x5E});
    const struct {
        int bit;  // flipped, counted from the first bit sent
        const char* fault;
    } rows[] = {
        {4, "no header of nine 1 bits"},
        {9, "row 1 parity"},   // a data bit: its row is the first check to fail
        {13, "row 1 parity"},  // the row's parity bit itself
        {9 + 5 * 6 + 4, "row 7 parity"},
        {59, "column 1 parity"},
        {62, "column 4 parity"},
        {63, "stop bit"},
    };
    for (const auto& r : rows) {
        const Em4100Check check = CheckEm4100Stream(flipped(good, r.bit));
        EXPECT_FALSE(check.id) << "bit " << r.bit;
        EXPECT_EQ(check.fault, r.fault) << "bit " << r.bit;
    }
    // Two data bits of one row keep its parity; only the columns see them.
    EXPECT_EQ(CheckEm4100Stream(flipped(flipped(good, 10), 11)).fault, "column 2 parity");
}

TEST(Em4100, TypedIdsAndTheirRefusals) {
    const struct {
        const char* text;
        const char* id;  // hex, or "" when refused
        const char* error;
    } rows[] = {
        {"1A2B3C4D5E", "1A2B3C4D5E", ""},
        {" 1a 2b 3c 4d 5e ", "1A2B3C4D5E", ""},
        {"060,19806", "00003C4D5E", ""},
        {"255, 65535", "0000FFFFFF", ""},
        {"1A2B3C4D5", "", "'1A2B3C4D5' is not an EM4100 ID: give 10 hexadecimal digits"},
        {"1A2B3C4D5G", "", "'1A2B3C4D5G' is not an EM4100 ID: give 10 hexadecimal digits"},
        {"256,1", "", "facility 256 is beyond 255"},
        {"1,65536", "", "card number 65536 is beyond 65535"},
        {"1,99999999999999999999", "", "card number 99999999999999999999 is beyond 65535"},
        {"-1,5", "", "'-1,5' is not an EM4100 ID"},
        {"", "", "'' is not an EM4100 ID"},
    };
    for (const auto& r : rows) {
        const Em4100Parse p = ParseEm4100Id(r.text);
        EXPECT_EQ(p.id ? Em4100Hex(*p.id) : "", r.id) << r.text;
        EXPECT_EQ(p.error.rfind(r.error, 0), 0u) << r.text << ": " << p.error;
    }
}

std::vector<std::string> hexes(const IdSeries& s) {
    std::vector<std::string> out;
    for (const Em4100Id& id : s.ids) out.push_back(Em4100Hex(id));
    return out;
}

TEST(IdSeries, FromAStartTheCardCountsUpWithinItsFacility) {
    EXPECT_EQ(hexes(SeriesFromStart("1A2B3CFFFE", "2")),
              (std::vector<std::string>{"1A2B3CFFFE", "1A2B3CFFFF"}));
    const struct {
        const char *start, *count, *error;
    } refusals[] = {
        {"1A2B3CFFFE", "3", "the card numbers would run past 65535 (from 65534, 3 tags)"},
        {"060,19806", "0", "Count: '0' is not a number from 1 to 65536"},
        {"060,19806", "99999999999", "Count: '99999999999' is not a number"},
        {"060,19806", "2x", "Count: '2x' is not a number"},
        {"060,", "1", "Start: '060,' is not an EM4100 ID"},
    };
    for (const auto& r : refusals) {
        const IdSeries s = SeriesFromStart(r.start, r.count);
        EXPECT_TRUE(s.ids.empty()) << r.start;
        EXPECT_EQ(s.error.rfind(r.error, 0), 0u) << s.error;
    }
}

TEST(IdSeries, FromAFileEachLineOrTheLineNumberOfTheFirstBadOne) {
    const IdSeries good = SeriesFromText(
        "# ID, holder\r\n1A2B3C4D5E,Alice\n\n060,19806,Bob\n\"061,00001\"\n  0102030405  \n");
    EXPECT_EQ(good.error, "");
    EXPECT_EQ(hexes(good),
              (std::vector<std::string>{"1A2B3C4D5E", "00003C4D5E", "00003D0001", "0102030405"}));
    const struct {
        const char *text, *error;
    } refusals[] = {
        {"1A2B3C4D5E\n# x\nID\n", "line 3: 'ID' is not an EM4100 ID"},
        {"1A2B3C4D5E\n256,1\n", "line 2: facility 256 is beyond 255"},
        {"060,19806\n00003C4D5E\n", "line 2: 00003C4D5E is already on line 1"},
        {"# nothing\n\n", "the file holds no ID"},
    };
    for (const auto& r : refusals)
        EXPECT_EQ(SeriesFromText(r.text).error.rfind(r.error, 0), 0u)
            << SeriesFromText(r.text).error;
}

}  // namespace

// The IDs of a programming series, from a start and count or from a file.
#include <gtest/gtest.h>

#include "module/IdSeries.h"

namespace {

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

// Reading rules, tag data layouts, calibration, password protection and programming.
#include <algorithm>
#include <tuple>

#include "ModuleBench.h"

namespace {
const Bytes kReadTag3{3, 1};  // EM4100 decoded, one block
const Bytes kId{0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
}  // namespace

TEST(SimulatedModuleReading, ReadTagAcknowledgesFirstAndReadsOnce) {
    ModuleBench b;
    b.module.setTagInField(true);
    const auto rs = b.ask(0x10, kReadTag3);
    ASSERT_EQ(codes(rs), (Bytes{0x99, 0x10}));  // the tag frame right behind the ack
    EXPECT_EQ(rs[1].data, kId);
    EXPECT_FALSE(b.module.reading());
    b.module.setTagInField(false);
    b.module.setTagInField(true);
    EXPECT_TRUE(b.advance(5000).empty());
}

TEST(SimulatedModuleReading, ArmedReadAnswersWhenTheTagEnters) {
    ModuleBench b;
    EXPECT_EQ(codes(b.ask(0x10, kReadTag3)), Bytes{0x99});
    EXPECT_EQ(b.module.nextDueMs(), -1);
    EXPECT_TRUE(b.advance(100).empty());
    b.module.setTagInField(true);
    ASSERT_NE(b.module.nextDueMs(), -1);
    EXPECT_LE(b.module.nextDueMs(), b.now);
    EXPECT_EQ(codes(replies(b.module.takeOutput(b.now))), Bytes{0x10});
    EXPECT_TRUE(b.advance(5000).empty());
}

TEST(SimulatedModuleReading, OneShotReadsOnlyWhatIsThereNow) {
    ModuleBench b;
    const Bytes oneShot{3, 1, 1};
    EXPECT_EQ(codes(b.ask(0x11, oneShot)), Bytes{0x99});
    b.module.setTagInField(true);
    EXPECT_TRUE(b.advance(1000).empty());
    EXPECT_EQ(codes(b.ask(0x11, oneShot)), (Bytes{0x99, 0x10}));
}

TEST(SimulatedModuleReading, AnyOtherCommandCancelsAnArmedRead) {
    const std::vector<std::pair<uint8_t, Bytes>> cancellers = {
        {0x12, {}}, {0x53, {0x18, 0x18}}, {0x41, {96}}, {0x50, {}}, {0x51, {}}};
    for (const auto& [cmd, data] : cancellers) {
        SCOPED_TRACE(int(cmd));
        ModuleBench b;
        b.ask(0x10, kReadTag3);
        b.ask(cmd, data);
        b.module.setTagInField(true);
        EXPECT_TRUE(b.advance(2000).empty());
    }
}

TEST(SimulatedModuleReading, AutoModeRearmsAfterEachTag) {
    ModuleBench b;
    b.module.setAutoRepeatMs(300);
    EXPECT_EQ(codes(b.ask(0x87, {1, 3, 1, 0, 0, 0, 0, 0})), Bytes{0x99});
    b.module.setTagInField(true);
    EXPECT_EQ(codes(replies(b.advance(0))), Bytes{0x10});
    EXPECT_TRUE(b.advance(299).empty());
    EXPECT_EQ(codes(replies(b.advance(1))), Bytes{0x10});
    // Coming back into the field is reported at once.
    b.advance(100);
    b.module.setTagInField(false);
    b.module.setTagInField(true);
    EXPECT_EQ(codes(replies(b.advance(0))), Bytes{0x10});

    // Read Tag in auto mode stays armed, with its own read type.
    const auto rs = b.ask(0x10, {2, 1});
    ASSERT_EQ(codes(rs), (Bytes{0x99, 0x10}));
    EXPECT_EQ(rs[1].data.size(), 8u);
    EXPECT_TRUE(b.module.reading());
    EXPECT_EQ(replies(b.advance(300)).size(), 1u);

    // Stop Read stops it; a Reset starts the stored auto reading again.
    b.ask(0x12);
    EXPECT_TRUE(b.advance(1000).empty());
    const auto again = b.ask(0x51);
    ASSERT_EQ(codes(again), (Bytes{0x99, 0x10}));
    EXPECT_EQ(again[1].data, kId);
}

TEST(SimulatedModuleReading, TagFrameDataFollowTheReadType) {
    ModuleBench b;
    b.module.setTagInField(true);

    // Raw: decode the EM4100 stream independently.
    auto rs = b.ask(0x11, {2, 1, 1});
    ASSERT_EQ(rs.size(), 2u);
    const Bytes& s = rs[1].data;
    ASSERT_EQ(s.size(), 8u);
    auto bit = [&s](int i) { return (s[i / 8] >> (7 - i % 8)) & 1; };
    for (int i = 0; i < 9; ++i) EXPECT_EQ(bit(i), 1) << "header bit " << i;
    Bytes id(5, 0);
    int columns[4] = {0, 0, 0, 0};
    for (int row = 0; row < 10; ++row) {
        int parity = 0, nibble = 0;
        for (int k = 0; k < 4; ++k) {
            const int v = bit(9 + row * 5 + k);
            nibble = nibble << 1 | v;
            parity ^= v;
            columns[k] ^= v;
        }
        EXPECT_EQ(bit(9 + row * 5 + 4), parity) << "row " << row;
        id[row / 2] = static_cast<uint8_t>(id[row / 2] | (row % 2 ? nibble : nibble << 4));
    }
    EXPECT_EQ(id, kId);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(bit(59 + k), columns[k]) << "column " << k;
    EXPECT_EQ(bit(63), 0);

    // Byte track RF/64 on the default (RF/64) transponder: blocks 1..N, clamped to 1..7.
    rs = b.ask(0x11, {1, 2, 1});
    ASSERT_EQ(rs.size(), 2u);
    EXPECT_EQ(rs[1].data, (Bytes{0x52, 0x58, 0x8B, 0x45, 2, 2, 2, 2}));
    EXPECT_EQ(b.ask(0x11, {1, 0, 1})[1].data.size(), 4u);
    EXPECT_EQ(b.ask(0x11, {1, 9, 1})[1].data.size(), 28u);

    // The RF/32 read type does not read an RF/64 transponder, and the other way round.
    EXPECT_EQ(codes(b.ask(0x11, {4, 1, 1})), Bytes{0x99});
    b.module.tag().blocks[0] = 0x000880E0;  // T5557 RF/32
    EXPECT_EQ(codes(b.ask(0x11, {4, 1, 1})), (Bytes{0x99, 0x10}));
    EXPECT_EQ(codes(b.ask(0x11, {1, 1, 1})), Bytes{0x99});

    EXPECT_EQ(codes(b.ask(0x10, {7, 1})), Bytes{0x66});  // no such read type
}

TEST(Block0Decoding, WordsOfTheProgrammingDialog) {
    struct Row {
        uint32_t word;
        bool q5, prot;
        TagModulation mod;
    };
    const Row rows[] = {
        {0x6001F00E, true, false, TagModulation::RF64},
        {0x6000FC02, true, true, TagModulation::RF32},
        {0x001480E0, false, false, TagModulation::RF64},
        {0x000882F0, false, true, TagModulation::RF32},
        {0x0000018E, false, false, TagModulation::RF32},
        {0x00000000, false, false, TagModulation::Other},
    };
    for (const Row& r : rows) {
        const Block0Info i = decodeBlock0(r.word);
        EXPECT_EQ(i.q5, r.q5) << std::hex << r.word;
        EXPECT_EQ(i.passwordProtected, r.prot) << std::hex << r.word;
        EXPECT_EQ(i.modulation, r.mod) << std::hex << r.word;
    }
}

TEST(SimulatedModuleCalibration, ASearchOverTheDefaultRangesFindsExactlyTheReadableSet) {
    ModuleBench b;
    b.module.setTagInField(true);
    EXPECT_EQ(codes(b.ask(0x10, kReadTag3)), (Bytes{0x99, 0x10}));  // factory defaults read

    const uint8_t gs[] = {0x18, 0x08, 0x1C, 0x0C};
    std::vector<CalibrationSetting> found;
    for (uint8_t radf = 93; radf <= 96; ++radf) {
        b.ask(0x41, {radf});
        for (uint8_t a1 = 2; a1 <= 3; ++a1)
            for (uint8_t a2 = 2; a2 <= 3; ++a2)
                for (uint8_t a3 = 2; a3 <= 3; ++a3) {
                    b.ask(0x81, {a1, a2, a3, 3, 3});
                    for (uint8_t g1 : gs)
                        for (uint8_t g2 : gs) {
                            b.ask(0x53, {g1, g2});
                            const auto rs = b.ask(0x10, kReadTag3);
                            if (codes(rs) == Bytes{0x99, 0x10})
                                found.push_back({radf, a1, a2, a3, g1, g2});
                            else
                                EXPECT_EQ(codes(rs), Bytes{0x99});
                        }
                }
    }
    auto expected = SimulatedModule::defaultReadableSettings();
    auto byValue = [](const CalibrationSetting& x, const CalibrationSetting& y) {
        return std::tie(x.radf, x.a1, x.a2, x.a3, x.g1, x.g2) <
               std::tie(y.radf, y.a1, y.a2, y.a3, y.g1, y.g2);
    };
    std::sort(expected.begin(), expected.end(), byValue);
    std::sort(found.begin(), found.end(), byValue);
    EXPECT_EQ(found, expected);
    EXPECT_EQ(found.size(), 3u);

    // A setting outside the set does not read; then every setting reads.
    b.ask(0x41, {92});
    EXPECT_EQ(codes(b.ask(0x10, kReadTag3)), Bytes{0x99});
    b.ask(0x12);
    b.module.setEverySettingReadable();
    EXPECT_EQ(codes(b.ask(0x10, kReadTag3)), (Bytes{0x99, 0x10}));
    b.module.setReadableSettings({});
    EXPECT_EQ(codes(b.ask(0x10, kReadTag3)), Bytes{0x99});
}

TEST(SimulatedModulePassword, AProtectedTagReadsOnlyWithItsPassword) {
    for (uint32_t block0 : {0x001480F0u /* T5557 */, 0x6001F40Eu /* Q5 */}) {
        SCOPED_TRACE(block0);
        ModuleBench b;
        b.module.setTagInField(true);
        b.module.tag().blocks[0] = block0;
        b.module.tag().blocks[7] = 0xA1B2C3D4;
        EXPECT_EQ(codes(b.ask(0x10, kReadTag3)), Bytes{0x99});
        EXPECT_EQ(codes(b.ask(0x13, {3, 1, 0xA1, 0xB2, 0xC3, 0x00})), Bytes{0x99});
        EXPECT_EQ(codes(b.ask(0x13, {3, 1, 0xA1, 0xB2, 0xC3, 0xD4})), (Bytes{0x99, 0x10}));
        // Auto mode reads with its stored password.
        EXPECT_EQ(codes(b.ask(0x87, {1, 3, 1, 1, 0xA1, 0xB2, 0xC3, 0xD4})), (Bytes{0x99, 0x10}));
        EXPECT_EQ(codes(b.ask(0x87, {1, 3, 1, 0, 0xA1, 0xB2, 0xC3, 0xD4})), Bytes{0x99});
    }
}

TEST(SimulatedModuleProgramming, WritesFollowFieldAndPasswordRules) {
    ModuleBench b;
    const Bytes block3{3, 0x11, 0x22, 0x33, 0x44};
    EXPECT_EQ(codes(b.ask(0x20, block3)), Bytes{0x66});  // no tag in the field
    b.module.setTagInField(true);
    EXPECT_EQ(codes(b.ask(0x20, block3)), Bytes{0x99});
    EXPECT_EQ(b.module.tag().blocks[3], 0x11223344u);
    EXPECT_EQ(codes(b.ask(0x20, {8, 1, 2, 3, 4})), Bytes{0x66});
    // The written data come back in a byte track read.
    EXPECT_EQ(Bytes(b.ask(0x11, {1, 3, 1})[1].data).at(8), 0x11);

    // Set the password, then protect the tag by writing block 0.
    EXPECT_EQ(codes(b.ask(0x20, {7, 0xA1, 0xB2, 0xC3, 0xD4})), Bytes{0x99});
    EXPECT_EQ(codes(b.ask(0x20, {0, 0x00, 0x14, 0x80, 0xF0})), Bytes{0x99});
    EXPECT_TRUE(decodeBlock0(b.module.tag().blocks[0]).passwordProtected);

    EXPECT_EQ(codes(b.ask(0x20, {2, 9, 9, 9, 9})), Bytes{0x66});
    EXPECT_EQ(codes(b.ask(0x23, {2, 9, 9, 9, 9, 0xA1, 0xB2, 0xC3, 0x00})), Bytes{0x66});
    EXPECT_EQ(b.module.tag().blocks[2], 0x02020202u);
    EXPECT_EQ(codes(b.ask(0x23, {2, 9, 9, 9, 9, 0xA1, 0xB2, 0xC3, 0xD4})), Bytes{0x99});
    EXPECT_EQ(b.module.tag().blocks[2], 0x09090909u);
}

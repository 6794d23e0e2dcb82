// The programmable T5557: what each read type finds in its blocks, the byte
// track filter, a blank swapped in, and a write lost on purpose.
#include "ModuleBench.h"

namespace {

constexpr uint64_t kStream = 0xFF8E85B9B09DABBEull;  // EM4100 1A2B3C4D5E
constexpr uint32_t kEm = 0x00148040;                 // T5557 RF/64, max block 2
constexpr uint32_t kQ5Em = 0x6001F004;               // Q5 RF/64, max block 2
constexpr uint32_t kMax7 = 0x001480E0;

uint64_t rotated(uint64_t v, int by) { return v << by | v >> (64 - by); }

TEST(ProgrammableTag, ReadsWhatItsBlocksHoldLikeARealOne) {
    const Bytes id{0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    const Bytes none{0xFF};  // only the acknowledgement
    const uint64_t turned = rotated(kStream, 13);
    const Bytes turnedBytes{0xD0, 0xB7, 0x36, 0x13, 0xB5, 0x77, 0xDF, 0xF1};
    const uint64_t broken = kStream ^ (1ull << 40);  // row 3 parity
    const struct {
        const char* what;
        uint32_t block0;
        uint64_t blocks12;
        uint8_t tracked;  // bytes tracked from 52 58 8B 45
        uint8_t readType, count;
        Bytes data;  // of the tag frame, or `none`
    } rows[] = {
        {"EM4100 emulation", kEm, kStream, 4, 3, 1, id},
        {"Q5 emulation", kQ5Em, kStream, 4, 3, 1, id},
        {"the cycle at another point", kEm, turned, 4, 3, 1, id},
        {"raw: the blocks as they stand", kEm, turned, 4, 2, 1, turnedBytes},
        {"max block 7 is no emulation", kMax7, kStream, 4, 3, 1, none},
        {"blank blocks: no ID", kEm, 0, 4, 3, 1, none},
        {"blank blocks: no header for raw", kEm, 0, 4, 2, 1, none},
        {"broken parity: no ID", kEm, broken, 4, 3, 1, none},
        {"broken parity: raw still sent",
         kEm,
         broken,
         4,
         2,
         1,
         {0xFF, 0x8E, 0x84, 0xB9, 0xB0, 0x9D, 0xAB, 0xBE}},
        {"byte track: block 1 not tracked", kMax7, 0, 4, 1, 2, none},
        {"byte track: nothing tracked", kMax7, 0, 0, 1, 2, Bytes(8, 0)},
        {"byte track: tracked bytes lead",
         kMax7,
         0x52588B4500000001ull,
         2,
         1,
         2,
         {0x52, 0x58, 0x8B, 0x45, 0, 0, 0, 1}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        ModuleBench b;
        b.module.swapInBlankTag();
        VirtualTag& tag = b.module.tag();
        tag.blocks[0] = r.block0;
        tag.blocks[1] = static_cast<uint32_t>(r.blocks12 >> 32);
        tag.blocks[2] = static_cast<uint32_t>(r.blocks12);
        b.send(0x55, {r.tracked, 0x52, 0x58, 0x8B, 0x45});
        b.module.setTagInField(true);
        const auto rs = b.ask(0x11, {r.readType, r.count, 1});
        ASSERT_FALSE(rs.empty());
        if (r.data == none) {
            EXPECT_EQ(codes(rs), Bytes{0x99});
        } else {
            ASSERT_EQ(codes(rs), (Bytes{0x99, 0x10}));
            EXPECT_EQ(rs[1].data, r.data);
        }
    }
}

TEST(ProgrammableTag, ALostWriteIsAcknowledgedAndChangesNothingAndTheTagsKeepTheirData) {
    ModuleBench b;
    b.module.setTagInField(true);
    b.module.swapInBlankTag();
    b.module.loseNextWrite();
    EXPECT_EQ(codes(b.ask(0x20, {1, 0xAA, 0xBB, 0xCC, 0xDD})), Bytes{0x99});
    EXPECT_EQ(b.module.tag().blocks[1], 0u);
    EXPECT_EQ(codes(b.ask(0x20, {1, 0xAA, 0xBB, 0xCC, 0xDD})), Bytes{0x99});
    EXPECT_EQ(b.module.tag().blocks[1], 0xAABBCCDDu);

    // Back to the fixed tag: its ID, whatever its blocks; the T5557 kept its write.
    b.module.selectTag(SimulatedModule::TagChoice::FixedEm4100);
    const auto rs = b.ask(0x11, {3, 1, 1});
    ASSERT_EQ(codes(rs), (Bytes{0x99, 0x10}));
    EXPECT_EQ(rs[1].data, (Bytes{0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
    b.module.selectTag(SimulatedModule::TagChoice::T5557);
    EXPECT_EQ(b.module.tag().blocks[1], 0xAABBCCDDu);
    b.module.swapInBlankTag();
    EXPECT_EQ(b.module.tag().blocks, (std::array<uint32_t, 8>{0x001480E0, 0, 0, 0, 0, 0, 0, 0}));
}

}  // namespace

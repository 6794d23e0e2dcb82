// Reading rules on the driven clock, tag data layouts, Block0 decoding, and
// the programmable T5557: what each read type finds in its blocks, the byte
// track filter, a blank swapped in, and a write lost on purpose.
#include "ModuleBench.h"

namespace {

const Bytes kId{0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
constexpr uint32_t kPlain = 0x001480E0;              // T5557 RF/64, max block 7: a blank tag
constexpr uint32_t kLocked = 0x001480F0;             // the same, password protected
constexpr uint32_t kQ5Locked = 0x6001F40E;           // Q5 RF/64, password protected
constexpr uint32_t kRf32 = 0x000880E0;               // T5557 RF/32
constexpr uint64_t kStream = 0xFF8E85B9B09DABBEull;  // EM4100 1A2B3C4D5E
constexpr uint32_t kEm = 0x00148040;                 // T5557 RF/64, max block 2
constexpr uint32_t kQ5Em = 0x6001F004;               // Q5 RF/64, max block 2

uint64_t rotated(uint64_t v, int by) { return v << by | v >> (64 - by); }

}  // namespace

TEST(SimulatedModuleReading, AnswersToReadCommandsAndWhenTheTagEntersLater) {
    const Bytes readTag{0x10, 3, 1}, oneShot{0x11, 3, 1, 1}, autoOn{0x87, 1, 3, 1, 0, 0, 0, 0, 0};
    const Bytes passOk{0x13, 3, 1, 0xA1, 0xB2, 0xC3, 0xD4};
    const Bytes passBad{0x13, 3, 1, 0xA1, 0xB2, 0xC3, 0x00};
    const Bytes autoPass{0x87, 1, 3, 1, 1, 0xA1, 0xB2, 0xC3, 0xD4};
    const Bytes autoNoPass{0x87, 1, 3, 1, 0, 0xA1, 0xB2, 0xC3, 0xD4};
    const Bytes no, ack{0x99}, tag{0x10}, ackTag{0x99, 0x10};
    struct Row {
        const char* what;
        bool tagFirst;  // the tag is in the field before the commands
        uint32_t block0;
        std::vector<Bytes> commands;  // code, then data
        Bytes answered;               // reply codes to the commands
        Bytes onEntry;                // then the tag leaves and comes back
        Bytes later;                  // then five seconds pass
    };
    const Row rows[] = {
        {"Read Tag: ack, the tag at once, no more", true, kPlain, {readTag}, ackTag, no, no},
        {"Read Tag armed: one frame on entry", false, kPlain, {readTag}, ack, tag, no},
        {"One Shot without a tag: only the ack", false, kPlain, {oneShot}, ack, no, no},
        {"Stop Read cancels, as all do", false, kPlain, {readTag, {0x12}}, {0x99, 0x99}, no, no},
        {"Reset cancels", false, kPlain, {readTag, {0x51}}, {0x99, 0x99}, no, no},
        {"no such read type", true, kPlain, {{0x10, 7, 1}}, {0x66}, no, no},
        {"auto mode reads on entry and repeats", true, kPlain, {autoOn}, ackTag, tag, tag},
        {"Stop Read ends auto mode", true, kPlain, {autoOn, {0x12}}, {0x99, 0x10, 0x99}, no, no},
        {"Sleep ends auto mode", true, kPlain, {autoOn, {0x60}}, {0x99, 0x10, 0x99}, no, no},
        {"Reset re-arms auto", true, kPlain, {autoOn, {0x51}}, {0x99, 0x10, 0x99, 0x10}, tag, tag},
        {"protected, no password", true, kLocked, {readTag}, ack, no, no},
        {"protected, wrong password", true, kLocked, {passBad}, ack, no, no},
        {"protected, its password", true, kLocked, {passOk}, ackTag, no, no},
        {"Q5 protected, wrong password", true, kQ5Locked, {passBad}, ack, no, no},
        {"Q5 protected, its password", true, kQ5Locked, {passOk}, ackTag, no, no},
        {"auto mode sends its stored password", true, kLocked, {autoPass}, ackTag, tag, tag},
        {"auto mode, password flag off", true, kLocked, {autoNoPass}, ack, no, no},
        {"byte track RF/64 on RF/64", true, kPlain, {{0x11, 1, 1, 1}}, ackTag, no, no},
        {"byte track RF/32 on RF/64", true, kPlain, {{0x11, 4, 1, 1}}, ack, no, no},
        {"byte track RF/32 on RF/32", true, kRf32, {{0x11, 4, 1, 1}}, ackTag, no, no},
        {"byte track RF/64 on RF/32", true, kRf32, {{0x11, 1, 1, 1}}, ack, no, no},
        {"EM4100 raw ignores the modulation", true, kRf32, {{0x11, 2, 1, 1}}, ackTag, no, no},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ModuleBench b;
        b.module.tag().blocks[0] = r.block0;
        b.module.tag().blocks[7] = 0xA1B2C3D4;
        b.module.setTagInField(r.tagFirst);
        Bytes out;
        for (const Bytes& c : r.commands) {
            const Bytes o = b.send(c[0], Bytes(c.begin() + 1, c.end()));
            out.insert(out.end(), o.begin(), o.end());
        }
        EXPECT_EQ(codes(replies(out)), r.answered);
        b.module.setTagInField(false);
        b.module.setTagInField(true);
        EXPECT_EQ(codes(replies(b.advance(0))), r.onEntry);
        EXPECT_EQ(codes(replies(b.advance(5000))), r.later);
    }
}

TEST(SimulatedModuleReading, AutoModeRepeatsAtItsIntervalAndReadTagKeepsItsOwnType) {
    ModuleBench b;
    b.module.setAutoRepeatMs(300);
    b.module.setTagInField(true);
    EXPECT_EQ(codes(b.ask(0x87, {1, 3, 1, 0, 0, 0, 0, 0})), (Bytes{0x99, 0x10}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(b.advance(299).empty());
        EXPECT_EQ(codes(replies(b.advance(1))), Bytes{0x10});
    }
    const auto rs = b.ask(0x10, {2, 1});  // EM4100 raw: 8 bytes, not the stored type's 5
    ASSERT_EQ(codes(rs), (Bytes{0x99, 0x10}));
    EXPECT_EQ(rs[1].data.size(), 8u);
    const auto next = replies(b.advance(300));
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0].data.size(), 8u);
}

TEST(SimulatedModuleReading, TagFrameDataFollowTheReadType) {
    ModuleBench b;
    b.module.setTagInField(true);
    auto data = [&b](uint8_t type, uint8_t blocks) {
        const auto rs = b.ask(0x11, {type, blocks, 1});
        return rs.size() == 2 ? rs[1].data : Bytes{};
    };
    EXPECT_EQ(data(3, 1), kId);
    // Byte track: blocks 1..N, most significant byte first, N clamped to 1..7.
    EXPECT_EQ(data(1, 2), (Bytes{0x52, 0x58, 0x8B, 0x45, 2, 2, 2, 2}));
    EXPECT_EQ(data(1, 0).size(), 4u);
    EXPECT_EQ(data(1, 9).size(), 28u);

    // Raw: the EM4100 stream of the ID, header first (worked out by hand in
    // the engine's EM4100 tests).
    EXPECT_EQ(data(2, 1), (Bytes{0xFF, 0x8E, 0x85, 0xB9, 0xB0, 0x9D, 0xAB, 0xBE}));
}

TEST(Block0Decoding, WordsOfTheProgrammingDialog) {
    const struct {
        uint32_t word;
        bool q5, prot;
        TagModulation mod;
    } rows[] = {
        {0x6001F00E, true, false, TagModulation::RF64},
        {0x6000FC02, true, true, TagModulation::RF32},
        {0x001480E0, false, false, TagModulation::RF64},
        {0x000882F0, false, true, TagModulation::RF32},
        {0x0000018E, false, false, TagModulation::RF32},
        {0x00000000, false, false, TagModulation::Other},
    };
    for (const auto& r : rows) {
        const Block0Info i = decodeBlock0(r.word);
        EXPECT_EQ(i.q5, r.q5) << std::hex << r.word;
        EXPECT_EQ(i.passwordProtected, r.prot) << std::hex << r.word;
        EXPECT_EQ(i.modulation, r.mod) << std::hex << r.word;
    }
}

// Burst mode: frames due within each millisecond go out together, their IDs
// count up without a gap, and a long gap does not pile up a backlog.
TEST(SimulatedModuleReading, BurstModeSendsEveryFrameDueWithCountingIds) {
    ModuleBench b;
    b.module.setAutoRepeatMicros(200);
    b.module.setCountTagIds(true);
    b.module.setTagInField(true);
    std::vector<Reply> tags = replies(b.send(0x87, {1, 3, 1, 0, 0, 0, 0, 0}));
    tags.erase(tags.begin());  // the acknowledgement
    for (int ms = 0; ms < 10; ++ms) {
        for (const Reply& r : replies(b.advance(1))) tags.push_back(r);
        // Nothing more is due in the millisecond just served (a server
        // would spin through it otherwise).
        EXPECT_GT(b.module.nextDueMs(), b.now);
    }
    // The frame with the answer; the next is due a millisecond later, then
    // every 200 us: 1 + 1 + 9 * 5.
    ASSERT_EQ(tags.size(), 47u);
    for (size_t i = 0; i < tags.size(); ++i) {
        ASSERT_EQ(tags[i].code, 0x10);
        const uint64_t id = (uint64_t{tags[i].data[3]} << 8) | tags[i].data[4];
        EXPECT_EQ(id, 0x4D5Eu + i) << "frame " << i;
    }
    EXPECT_EQ(b.module.tagFramesSent(), 47u);
    // A second of silence (module busy) brings at most the catch-up window.
    EXPECT_EQ(replies(b.advance(1000)).size(),
              size_t{SimulatedModule::kBurstCatchUpMs * 1000 / 200 + 1});
}

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
        {"max block 7 is no emulation", kPlain, kStream, 4, 3, 1, none},
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
        {"byte track: block 1 not tracked", kPlain, 0, 4, 1, 2, none},
        {"byte track: nothing tracked", kPlain, 0, 0, 1, 2, Bytes(8, 0)},
        {"byte track: tracked bytes lead",
         kPlain,
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

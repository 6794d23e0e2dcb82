// Framing of what the module hears, the pending line rate, and answers timed by the clock.
#include "ModuleBench.h"

namespace {

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

const Bytes kFirmware{0xFF, 0x01, 0x01, 0x50, 0x52};

}  // namespace

TEST(SimulatedModuleFraming, TheFirmwareQueryIsFoundOnceInEveryRow) {
    constexpr int64_t kStale = SimulatedModule::kStaleFrameMs;
    const struct {
        const char* what;
        std::vector<std::pair<int64_t, Bytes>> pieces;  // ms after the previous piece, bytes
    } rows[] = {
        {"garbage before the header", {{0, join({{0x00, 0x41, 0x42}, kFirmware})}}},
        {"bad checksum, then a lone header byte",
         {{0, join({{0xFF, 0x01, 0x01, 0x50, 0x99, 0xFF}, kFirmware})}}},
        {"inside a candidate whose checksum fails",
         {{0, join({{0xFF, 0x01, 0x05}, kFirmware, {0}})}}},
        {"after a length byte no command has", {{0, join({{0xFF, 0x01, 0x50}, kFirmware})}}},
        {"split over three receives", {{0, {0xFF, 0x01}}, {5, {0x01, 0x50}}, {5, {0x52}}}},
        {"a pause up to the limit", {{0, {0xFF, 0x01, 0x01}}, {kStale, {0x50, 0x52}}}},
        {"a partial frame left longer is dropped",
         {{0, {0xFF, 0x01, 0x30}}, {kStale + 1, kFirmware}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ModuleBench b;
        Bytes out;
        for (const auto& [afterMs, bytes] : row.pieces) {
            b.now += afterMs;
            b.module.receive(bytes, b.now);
            const Bytes o = b.module.takeOutput(b.now);
            out.insert(out.end(), o.begin(), o.end());
        }
        EXPECT_EQ(b.module.receivedFrames(), std::vector<Bytes>{kFirmware});
        EXPECT_EQ(codes(replies(out)), Bytes{0x50});
    }
}

TEST(SimulatedModuleBaud, SetBaudWaitsForAResetWhoseAnswerGoesAtTheOldRate) {
    ModuleBench b;
    EXPECT_EQ(codes(b.ask(0x52, {5})), Bytes{0x66});  // no such rate code
    EXPECT_EQ(b.module.pendingBaudRate(), 0u);

    EXPECT_EQ(codes(b.ask(0x52, {2})), Bytes{0x99});
    EXPECT_EQ(codes(b.ask(0x50)), Bytes{0x50});
    EXPECT_EQ(b.module.baudRate(), 19200u);
    EXPECT_EQ(b.module.pendingBaudRate(), 38400u);

    b.module.receive(SimulatedModule::makeFrame(0x51), b.now);
    const auto tx = b.module.takeTransmissions(b.now);
    ASSERT_EQ(tx.size(), 1u);
    EXPECT_EQ(tx[0].baud, 19200u);
    EXPECT_EQ(codes(replies(tx[0].bytes)), Bytes{0x99});
    EXPECT_EQ(b.module.baudRate(), 38400u);
    EXPECT_EQ(b.module.pendingBaudRate(), 0u);
}

TEST(SimulatedModuleTiming, DelayedAnswerComesInChunksByTheClockOnlyOnce) {
    ModuleBench b;
    Faults f;
    f.answerDelayMs = 30;
    f.chunkSize = 2;
    f.chunkPauseMs = 10;
    f.nextAnswerOnly = true;
    b.module.setFaults(f);
    EXPECT_TRUE(b.send(0x12).empty());
    EXPECT_EQ(b.module.nextDueMs(), b.now + 30);
    EXPECT_EQ(b.advance(29), Bytes{});
    EXPECT_EQ(b.advance(1), (Bytes{0xFF, 0x01}));
    EXPECT_EQ(b.module.nextDueMs(), b.now + 10);
    EXPECT_EQ(b.advance(10), (Bytes{0x01, 0x99}));
    EXPECT_EQ(b.advance(10), (Bytes{0x9B}));
    EXPECT_EQ(b.module.nextDueMs(), -1);
    EXPECT_EQ(b.send(0x12), (Bytes{0xFF, 0x01, 0x01, 0x99, 0x9B}));  // the fault is gone
}

// Commands, the configuration block, framing, the line rate and the faults.
#include <algorithm>

#include "ModuleBench.h"

TEST(SimulatedModuleCommands, QueriesAndHousekeepingAnswerAsTheHostExpects) {
    ModuleBench b;
    // Literal bytes, so the frame builder is not checked against itself.
    b.module.receive(Bytes{0xFF, 0x01, 0x01, 0x50, 0x52}, b.now);
    EXPECT_EQ(b.module.takeOutput(b.now),
              (Bytes{0xFF, 0x01, 0x0E, 0x50, 'Z', 'Q', '3', '6', '1', ' ', 'S', 'I', 'M', ' ', '1',
                     '.', '0', 0x5C}));

    EXPECT_EQ(b.send(0x51), (Bytes{0xFF, 0x01, 0x01, 0x99, 0x9B}));
    EXPECT_EQ(codes(b.ask(0x60)), Bytes{0x99});
    EXPECT_EQ(codes(b.ask(0x12)), Bytes{0x99});

    EXPECT_EQ(codes(b.ask(0x63)), Bytes{0x99});
    b.module.setInput0(false);
    EXPECT_EQ(codes(b.ask(0x63)), Bytes{0x66});

    EXPECT_EQ(codes(b.ask(0x62, {0x02})), Bytes{0x99});
    EXPECT_EQ(b.module.outputs(), 0x02);
    EXPECT_EQ(codes(b.ask(0x62, {})), Bytes{0x66});
    EXPECT_EQ(b.module.outputs(), 0x02);

    EXPECT_EQ(codes(b.ask(0x77)), Bytes{0x66});
}

TEST(SimulatedModuleCommands, ReadConfigReturnsTheFactoryBlock) {
    ModuleBench b;
    const auto rs = b.ask(0x70);
    ASSERT_EQ(rs.size(), 1u);
    const Bytes& d = rs[0].data;
    ASSERT_EQ(d.size(), 64u);  // length byte 0x41
    EXPECT_EQ(Bytes(d.begin(), d.begin() + 6), (Bytes{100, 200, 170, 50, 96, 96}));
    EXPECT_EQ(Bytes(d.begin() + 7, d.begin() + 12), (Bytes{0x1C, 0x1C, 2, 3, 3}));
    EXPECT_EQ(d[23], 0);  // auto mode off
    EXPECT_EQ(d[24], 3);
    EXPECT_EQ(d[25], 2);
    EXPECT_EQ(d[26], 0x80);  // UART on, ASCII
}

TEST(SimulatedModuleCommands, EverySetCommandLandsAtItsBytesOfTheBlock) {
    struct Row {
        uint8_t cmd;
        Bytes data;
        size_t first;  // first data byte of the block written
        Bytes stored;
    };
    const Row rows[] = {
        {0x40, {1, 2, 3, 4, 5}, 0, {1, 2, 3, 4, 5}},
        {0x41, {93}, 5, {93}},
        {0x53, {0x18, 0x0C}, 7, {0x18, 0x0C}},
        {0x81, {1, 2, 3, 0x03, 0x03}, 9, {1, 2, 3, 0x03, 0x03}},
        {0x87, {1, 4, 5, 1, 0xA1, 0xB2, 0xC3, 0xD4}, 18, {1, 0xA1, 0xB2, 0xC3, 0xD4, 1, 4, 5}},
        {0x88, {0x86, 0x80, 0x04, 0x00, 0x01, 0x0A}, 26, {0x86, 0x80, 0x04, 0x00, 0x01, 0x0A}},
        {0x55, {2, 0x11, 0x22, 0x33, 0x44}, 32, {2, 0x11, 0x22, 0x33, 0x44}},
        {0x90, {0x01, 0x42}, 37, {0x01, 0x42}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "command 0x" << std::hex << int(row.cmd));
        ModuleBench b;
        const Bytes before = b.config();
        EXPECT_EQ(codes(b.ask(row.cmd, row.data)), Bytes{0x99});
        Bytes expected = before;
        std::copy(row.stored.begin(), row.stored.end(), expected.begin() + row.first);
        EXPECT_EQ(b.config(), expected);
    }
}

TEST(SimulatedModuleFraming, FindsFramesInGarbageAndDropsBadChecksums) {
    ModuleBench b;
    const Bytes firmware{0xFF, 0x01, 0x01, 0x50, 0x52};
    const Bytes reset{0xFF, 0x01, 0x01, 0x51, 0x53};

    Bytes in{0x00, 0x41, 0x42};  // noise
    in.insert(in.end(), firmware.begin(), firmware.end());
    in.insert(in.end(), {0xFF, 0x01, 0x01, 0x50, 0x99});  // bad checksum
    in.push_back(0xFF);  // a lone header byte just before a real frame
    in.insert(in.end(), reset.begin(), reset.end());
    b.module.receive(in, b.now);
    EXPECT_EQ(codes(replies(b.module.takeOutput(b.now))), (Bytes{0x50, 0x99}));
    EXPECT_EQ(b.module.receivedFrames(), (std::vector<Bytes>{firmware, reset}));

    b.module.clearReceivedFrames();
    // A frame split over several arrivals.
    b.module.receive(Bytes{0xFF, 0x01}, b.now);
    b.module.receive(Bytes{0x01, 0x50}, b.now + 5);
    EXPECT_TRUE(b.module.takeOutput(b.now + 5).empty());
    b.module.receive(Bytes{0x52}, b.now + 10);
    EXPECT_EQ(codes(replies(b.module.takeOutput(b.now + 10))), Bytes{0x50});

    // A header left hanging is forgotten after a pause, so the next frame is heard.
    b.now += 20;
    b.module.receive(Bytes{0xFF, 0x01, 0x30}, b.now);
    b.now += SimulatedModule::kStaleFrameMs + 1;
    b.module.receive(firmware, b.now);
    EXPECT_EQ(codes(replies(b.module.takeOutput(b.now))), Bytes{0x50});
    EXPECT_EQ(b.module.receivedFrames().size(), 2u);
}

TEST(SimulatedModuleBaud, SetBaudWaitsForAResetAndTheResetIsAnsweredAtTheOldRate) {
    ModuleBench b;
    EXPECT_EQ(codes(b.ask(0x52, {5})), Bytes{0x66});
    EXPECT_EQ(b.module.pendingBaudRate(), 0u);

    EXPECT_EQ(codes(b.ask(0x52, {2})), Bytes{0x99});
    EXPECT_EQ(b.module.baudRate(), 19200u);
    EXPECT_EQ(b.module.pendingBaudRate(), 38400u);
    EXPECT_EQ(codes(b.ask(0x50)), Bytes{0x50});
    EXPECT_EQ(b.module.baudRate(), 19200u);

    b.module.receive(SimulatedModule::makeFrame(0x51), b.now);
    const auto tx = b.module.takeTransmissions(b.now);
    ASSERT_EQ(tx.size(), 1u);
    EXPECT_EQ(tx[0].baud, 19200u);
    EXPECT_EQ(tx[0].bytes, (Bytes{0xFF, 0x01, 0x01, 0x99, 0x9B}));
    EXPECT_EQ(b.module.baudRate(), 38400u);
    EXPECT_EQ(b.module.pendingBaudRate(), 0u);

    EXPECT_EQ(codes(b.ask(0x52, {4})), Bytes{0x99});
    b.module.powerCycle(b.now);
    EXPECT_EQ(b.module.baudRate(), 115200u);
    const auto after = b.module.takeTransmissions(b.now);
    EXPECT_TRUE(after.empty());
}

TEST(SimulatedModuleFaults, ShapeTheAnswer) {
    {
        ModuleBench b;
        Faults f;
        f.silent = true;
        b.module.setFaults(f);
        EXPECT_TRUE(b.send(0x41, {93}).empty());
        EXPECT_EQ(b.module.receivedFrames().size(), 1u);
        b.module.clearFaults();
        EXPECT_EQ(b.config()[5], 96);  // not executed either
    }
    {
        ModuleBench b;
        Faults f;
        f.badChecksum = true;
        b.module.setFaults(f);
        EXPECT_EQ(b.send(0x12), (Bytes{0xFF, 0x01, 0x01, 0x99, 0x9C}));
    }
    {
        ModuleBench b;
        Faults f;
        f.asciiInstead = "ABCD";
        b.module.setFaults(f);
        EXPECT_EQ(b.send(0x50), (Bytes{'A', 'B', 'C', 'D'}));
    }
    {
        ModuleBench b;
        Faults f;
        f.flashError = true;
        b.module.setFaults(f);
        for (uint8_t cmd : {0x41, 0x52, 0x53, 0x81})
            EXPECT_EQ(codes(b.ask(cmd, {1, 1, 1, 1, 1})), Bytes{0x66}) << int(cmd);
        EXPECT_EQ(b.module.pendingBaudRate(), 0u);
        EXPECT_EQ(codes(b.ask(0x50)), Bytes{0x50});  // queries are not flash writes
        b.module.clearFaults();
        const auto factory = SimulatedModule::factoryConfig();
        EXPECT_EQ(b.config(), Bytes(factory.begin(), factory.end()));
    }
    {
        ModuleBench b;
        Faults f;
        f.oversizeLength = true;
        b.module.setFaults(f);
        const Bytes out = b.send(0x12);
        ASSERT_EQ(out.size(), 3u + 0x50 + 1);
        EXPECT_EQ(out[2], 0x50);
        EXPECT_EQ(out[3], 0x99);
    }
}

TEST(SimulatedModuleFaults, DelayChunksAndNextAnswerOnly) {
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
    // Gone after one answer.
    EXPECT_EQ(b.send(0x12), (Bytes{0xFF, 0x01, 0x01, 0x99, 0x9B}));
}

TEST(SimulatedModuleFaults, UnsolicitedTagFramesComeUntilCleared) {
    ModuleBench b;
    Faults f;
    f.unsolicitedTagEveryMs = 50;
    b.module.setFaults(f);
    EXPECT_TRUE(b.advance(0).empty());
    EXPECT_EQ(b.module.nextDueMs(), b.now + 50);
    EXPECT_TRUE(b.advance(49).empty());
    const auto first = replies(b.advance(1));
    ASSERT_EQ(codes(first), Bytes{0x10});
    EXPECT_EQ(first[0].data, (Bytes{0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
    EXPECT_EQ(codes(replies(b.advance(50))), Bytes{0x10});
    b.module.clearFaults();
    EXPECT_EQ(b.module.nextDueMs(), -1);
    EXPECT_TRUE(b.advance(500).empty());
}

TEST(SimulatedModuleSleep, SleepsUntilTheNextByteWhichIsAnswered) {
    ModuleBench b;
    b.module.setTagInField(true);
    EXPECT_EQ(codes(b.ask(0x87, {1, 3, 1, 0, 0, 0, 0, 0})), (Bytes{0x99, 0x10}));
    EXPECT_EQ(codes(b.ask(0x60)), Bytes{0x99});
    EXPECT_TRUE(b.module.asleep());
    EXPECT_EQ(b.module.nextDueMs(), -1);
    EXPECT_TRUE(b.advance(5000).empty());
    EXPECT_EQ(codes(b.ask(0x50)), Bytes{0x50});
    EXPECT_FALSE(b.module.asleep());
}

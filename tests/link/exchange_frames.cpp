// The frame codec over a real pseudo-terminal: the test plays the module on
// the master side and checks results and log lines byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "link/CommandTable.h"
#include "link/TALVOR_comport.h"
#include "support/PtyPair.h"

namespace {

std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s += static_cast<char>(b);
    return s;
}

class Exchange : public ::testing::Test {
protected:
    void SetUp() override {
        host.comport1.SetEvents(TComEvents{});  // no event thread: the test reads itself
        host.comport1.SetPort(pty.slavePath());
        host.comport1.Open();
        host.SetLineSink([this](const std::string& line) { lines.push_back(line); });
    }

    // The module's answer arrives whole before the host starts to wait.
    void answer(const std::string& raw) {
        pty.writeToHost(raw);
        ASSERT_TRUE(WaitUntil([&] { return host.comport1.InputCount() >= static_cast<int>(raw.size()); }));
    }

    PtyPair pty;
    Tcom_form host;
    std::vector<std::string> lines;
    std::string dataText = "unchanged";
    std::string replyText;
};

struct GoodFrame {
    std::string raw;
    std::string reply;
    std::string data;
};

TEST_F(Exchange, WholeFramesWithTheRightChecksumAreReturnedAsHexText) {
    const GoodFrame rows[] = {
        {bytes({0xFF, 0x01, 0x01, 0x99, 0x9B}), "FF 01 01 99 9B ", ""},
        // The reserved byte is not checked.
        {bytes({0xFF, 0x07, 0x01, 0x99, 0xA1}), "FF 07 01 99 A1 ", ""},
        // Zero bytes leave the data text but stay in the reply text.
        {bytes({0xFF, 0x01, 0x05, 0x50, 0x31, 0x2E, 0x30, 0x00, 0xE5}),
         "FF 01 05 50 31 2E 30 00 E5 ", "1.0"},
    };
    for (const GoodFrame& row : rows) {
        dataText = "unchanged";
        answer(row.raw);
        host.ReadResponse(dataText, replyText);
        EXPECT_EQ(replyText, row.reply);
        EXPECT_EQ(dataText, row.data);
        EXPECT_EQ(ReplyCode(replyText), row.reply.substr(9, 2));
    }
    EXPECT_TRUE(lines.empty());
}

TEST_F(Exchange, ALongestAnswerOf65BytesAfterTheLengthIsRead) {
    std::string frame = bytes({0xFF, 0x01, 0x41, 0x99});
    int sum = 0x01 + 0x41 + 0x99;
    for (int i = 0; i < 64; ++i) {
        frame += static_cast<char>(i + 1);
        sum += i + 1;
    }
    frame += static_cast<char>(sum & 0xFF);
    answer(frame);
    host.ReadResponse(dataText, replyText);
    EXPECT_EQ(replyText.size(), 69u * 3);
    EXPECT_EQ(replyText.substr(6, 2), "41");
    EXPECT_EQ(dataText.size(), 64u);
}

TEST_F(Exchange, AWrongChecksumIsLoggedAndKeepsTheQueue) {
    answer(bytes({0xFF, 0x01, 0x02, 0x99, 0x41, 0x00, 0x77}));
    host.ReadResponse(dataText, replyText);
    EXPECT_EQ(replyText, "error");
    EXPECT_EQ(dataText, "A");  // set before the checksum is judged
    EXPECT_EQ(lines, std::vector<std::string>{"Checksum error in Response Array"});
    EXPECT_EQ(host.comport1.InputCount(), 1);  // the byte after the frame is still there
}

TEST_F(Exchange, SilenceAndAHalfFrameTimeOutAndDiscardTheQueues) {
    host.ReadResponse(dataText, replyText);
    EXPECT_EQ(replyText, "error");
    EXPECT_EQ(dataText, "unchanged");
    EXPECT_EQ(lines, std::vector<std::string>{"***Timeout.No Response***"});

    lines.clear();
    answer(bytes({0xFF, 0x01, 0x05, 0x50, 0x31}));
    host.ReadResponse(dataText, replyText);
    EXPECT_EQ(replyText, "error");
    EXPECT_EQ(dataText, "unchanged");
    EXPECT_EQ(lines, std::vector<std::string>{"***Timeout.No Response***"});
    EXPECT_EQ(host.comport1.InputCount(), 0);
}

TEST_F(Exchange, NonFrameDataIsReportedAsCharactersAndHex) {
    answer("ABCD");
    host.ReadResponse(dataText, replyText);
    EXPECT_EQ(replyText, "none_protocol");
    EXPECT_EQ(dataText, "unchanged");
    EXPECT_EQ(lines, std::vector<std::string>{
                         "Incoming ASCII Characters >ABCD\t( As HEX >0x41 0x42 0x43 0x44 )"});

    // Zero bytes are left out of the characters, never out of the hex.
    lines.clear();
    answer(bytes({'O', 'K', 0x00, '!'}));
    host.ReadResponse(dataText, replyText);
    EXPECT_EQ(lines, std::vector<std::string>{
                         "Incoming ASCII Characters >OK!\t( As HEX >0x4F 0x4B 0x00 0x21 )"});
}

TEST_F(Exchange, ExactlyThreeNonFrameBytesLeaveBothResultsAsTheyWere) {
    replyText = "as before";
    answer("abc");
    host.ReadResponse(dataText, replyText);
    EXPECT_EQ(replyText, "as before");
    EXPECT_EQ(dataText, "unchanged");
    EXPECT_TRUE(lines.empty());
}

TEST_F(Exchange, ALengthByteBeyondTheAnswerBufferIsRefusedWithoutReadingOn) {
    answer(bytes({0xFF, 0x01, 0x50, 0x99, 0x01, 0x02}));
    host.ReadResponse(dataText, replyText);
    EXPECT_EQ(replyText, "error");
    EXPECT_EQ(dataText, "unchanged");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Invalid response length"), std::string::npos);
    EXPECT_EQ(host.comport1.InputCount(), 0);
}

TEST_F(Exchange, UnsolicitedDataIsLoggedByTheReceivedDataHandler) {
    answer(bytes({0xFF, 0x01, 0x06, 0x10, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x43}));
    host.comport1RxChar(&host.comport1, host.comport1.InputCount());
    EXPECT_EQ(lines, std::vector<std::string>{"RX > FF 01 06 10 1A 2B 3C 4D 5E 43 "});

    // A frame whose last byte comes later is waited for, not cut short.
    lines.clear();
    answer(bytes({0xFF, 0x01, 0x06, 0x10, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
    std::thread late([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.writeToHost(bytes({0x43}));
    });
    host.comport1RxChar(&host.comport1, 9);
    late.join();
    EXPECT_EQ(lines, std::vector<std::string>{"RX > FF 01 06 10 1A 2B 3C 4D 5E 43 "});

    // One or two stray bytes: the wait's own line, then the status word.
    lines.clear();
    answer("xy");
    host.comport1RxChar(&host.comport1, 2);
    EXPECT_EQ(lines, (std::vector<std::string>{"***Timeout.No Response***", "RX > error"}));

    // Three non-frame bytes: nothing from the wait, and an empty "RX > " line.
    lines.clear();
    answer("xyz");
    host.comport1RxChar(&host.comport1, 3);
    EXPECT_EQ(lines, std::vector<std::string>{"RX > "});

    // Non-frame text: its report only.
    lines.clear();
    answer("HELLO");
    host.comport1RxChar(&host.comport1, 5);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Incoming ASCII Characters >HELLO\t", 0), 0u);
}

// A tag frame carrying `id` in its last data byte.
std::string tagFrame(int id) {
    std::string f = bytes({0xFF, 0x01, 0x06, 0x10, 0x00, 0x00, 0x00, 0x00, id});
    int sum = 0;
    for (size_t i = 1; i < f.size(); ++i) sum += static_cast<uint8_t>(f[i]);
    return f + static_cast<char>(sum & 0xFF);
}

TEST_F(Exchange, OneReceivedDataEventTakesTheWholeFramesAlreadyWaiting) {
    struct Row {
        int frames;
        size_t lines;
        int left;
    };
    // Frames are taken while a longest frame's bytes wait; the rest, and
    // anything beyond 64 frames, is left to the next event.
    const Row rows[] = {
        {8, 2, 6 * 10},
        {70, 64, 6 * 10},
    };
    for (const Row& row : rows) {
        lines.clear();
        std::string raw;
        for (int i = 0; i < row.frames; ++i) raw += tagFrame(i);
        answer(raw);
        host.comport1RxChar(&host.comport1, host.comport1.InputCount());
        ASSERT_EQ(lines.size(), row.lines) << row.frames;
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string frame = tagFrame(static_cast<int>(i));
            EXPECT_EQ(lines[i], "RX > " + HexText(reinterpret_cast<const uint8_t*>(frame.data()), 10));
        }
        EXPECT_EQ(host.comport1.InputCount(), row.left);
        host.comport1.ClearBuffer(true, true);
    }
}

TEST_F(Exchange, SendFrameAddsTheChecksumAndDiscardsUnreadInput) {
    answer("stale");
    TFrameBuffer frame{};
    BuildFrame(frame, Commands::Firmware, {});
    const std::string hex = host.SendFrame(frame, Commands::Firmware.frameSize);
    EXPECT_EQ(hex, "FF 01 01 50 52 ");
    EXPECT_EQ(frame[4], 0x00);  // the caller's buffer keeps no checksum
    EXPECT_EQ(pty.readFromHost(5), bytes({0xFF, 0x01, 0x01, 0x50, 0x52}));
    EXPECT_EQ(host.comport1.InputCount(), 0);

    // The checksum keeps only the low 8 bits of the sum.
    BuildFrame(frame, Commands::SetAutoMode, {0x01, 0x03, 0x02, 0x01, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(host.SendFrame(frame, Commands::SetAutoMode.frameSize),
              "FF 01 09 87 01 03 02 01 FF FF FF FF 94 ");
}

}  // namespace

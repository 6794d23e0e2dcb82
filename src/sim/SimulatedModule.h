// The ZQ361 module as pure protocol logic: command frames in, response bytes
// out, driven by a millisecond clock the caller passes in. No threads, no I/O.
//
// Frames. Both directions use FF, reserved, length L, command/reply code,
// L-1 data bytes, checksum (sum of the bytes after the header, mod 256).
// Received bytes are scanned for 0xFF; a candidate whose checksum is wrong is
// dropped and the scan resumes at the byte after its 0xFF, so a real frame
// hidden inside garbage is still found. A partial frame left alone for more
// than kStaleFrameMs is discarded when the next byte comes. Only frames with a
// correct checksum are recorded and executed. Answers use reserved byte 0x01.
//
// Answers. 0x99 accepts. 0x66 is the one negative answer: flash write error
// (fault injection), a refused write, an invalid baud code, a missing data
// byte, an unknown command or read type. Firmware answers 0x50 + version
// text; Read Config answers 0x99 + the 64-byte configuration block (L = 0x41);
// Read Input0 answers 0x99 (high) or 0x66 (low).
//
// Configuration block (data bytes of Read Config):
//   0x40 Set Param      -> d0..d4        0x41 Set RADF      -> d5
//   0x53 Set G1/G2      -> d7, d8        0x81 Set A1/A2/A3  -> d9..d11, its
//        two trailing bytes (03 03) kept in d12, d13
//   0x87 Set Auto Mode  -> d23 auto, d24 read type, d25 blocks,
//                          d18 password flag, d19..d22 password
//   0x88 Set Output Parameters -> d26..d31   0x55 Set Byte Track -> d32..d36
//   0x90 Set I2C        -> d37, d38
//   0x52 Set Baud (code 0..4 = 9600 .. 115200) is not in the block: it only
//        makes the rate pending; a Reset or powerCycle() puts it into effect.
//   Set commands store the bytes as sent, without range checks.
//
// Reading. A read command is answered 0x99 first; a tag frame (reply 0x10)
// may follow, in the same output batch when a readable tag is in the field.
//   Read Tag (0x10), Read Tag w pass (0x13): arm a read that sends one tag
//     frame as soon as a readable tag is (or comes) in the field, then ends.
//     With auto mode on (d23 != 0) the read stays armed: it sends a frame when
//     a readable tag enters, and again every autoRepeatMs() while it stays.
//   One Shot Read (0x11): ack, then one tag frame if a tag is readable now.
//   Set Auto Mode with d23 != 0, and every Reset/power-up while d23 != 0,
//     start such a continuous read with the stored parameters (d24, d25, d18,
//     d19..d22).
//   Every other command, including queries, cancels a pending read, so a read
//   armed under one calibration setting never answers under the next.
// A tag is readable when it is in the field, the calibration (d5, d7..d11)
// is in the readable set, a password-protected tag got its password (block 7,
// P1 = most significant byte) with the read, and for the Byte Track read
// types the transponder's modulation matches (type 1 RF/64, type 4 RF/32).
//
// Tag frame data by read type (the program's tag decoder reads them so):
//   3 (EM4100 decoded): the 5 ID bytes.
//   2 (EM4100 raw): 8 bytes, the 64-bit EM4100 stream of the ID, first bit
//     in the top bit of byte 0: 9 header ones, 10 rows of 4 data bits plus an
//     even row parity bit, 4 even column parity bits, a stop bit 0.
//   1, 4 (Byte Track): N blocks of 4 bytes, blocks 1..N of the transponder,
//     most significant byte first; N = the block count of the read, clamped
//     to 1..7. The max-block field of Block0 is not honoured.
// A Byte Track read finds only a tag whose block 1 starts with the tracked
// bytes (d32 of them, at most 4, from d33; none tracked matches every tag).
//
// Two tags can be placed (selectTag), one at a time:
// - The fixed EM4100 tag (the default): an EM4100 ID that no write changes,
//   beside eight writable transponder blocks. It answers every read type; the
//   EM read types ignore the modulation.
// - The programmable T5557: eight blocks and nothing else, like a real one.
//   It sends blocks 1..max block over and over; when Block0 selects RF/64 and
//   max block 2, those 64 bits are an EM4100 emulation: an EM4100 decoded read
//   returns the ID they encode (at any rotation), and nothing when they hold
//   no valid stream; an EM4100 raw read returns blocks 1 and 2 as they stand
//   (not aligned), and nothing when they hold no nine 1 bits in a row. Other
//   Block0 words give the EM read types nothing. swapInBlankTag() puts a new
//   one in its place: Block0 0x001480E0, blocks 1 to 7 zero.
//
// Block0 (see Block0Info): a word with 0x60 in bits 31-24 and bits 15-12 all
// set is a Q5 word (RF/64 iff bit 16, password protection iff bit 0x400);
// any other word follows the T5557 rules (bit rate field bits 20-18: 5 is
// RF/64, 2 is RF/32; password protection iff bit 0x10); a T5557-rules word
// with rate field 0 and bit 8 set (the T5552 fixed bits) is RF/32.
//
// Programming. 0x20 (block, 4 bytes) writes when a tag is in the field and it
// is not password-protected; 0x23 (block, 4 bytes, 4 password bytes) writes
// when a tag is in the field and the password equals block 7. Otherwise, and
// for a block number above 7, the answer is 0x66. Calibration does not
// matter for writing. Writing block 0 changes the protection at once.
// loseNextWrite(): the next write that would succeed is answered 0x99 and
// changes nothing, the fault that reading a tag back exists to catch.
//
// Sleep (0x60): acknowledged, then the module sleeps: pending reads end and
// nothing is read or sent. The next byte received wakes it and is processed
// normally (the frame it starts is answered). Reading does not resume by
// itself until a Reset.
//
// Reset (0x51): answered 0x99 at the old rate, then like powerCycle().
//
// Hostile mode (setHostile): every command frame is still recorded, but
// answered only by HostileAnswers (random frames, broken lengths, noise,
// silence); nothing is executed, so the module's state stays as it was.
//
// Faults (setFaults) stay in force until cleared, or for one answer when
// Faults::nextAnswerOnly is set (the unsolicited tag frames excepted, which
// run until cleared). They shape the answer to a command; a tag frame that
// follows the answer at once is sent after it, unchanged, with the same
// delay and chunking. Tag frames sent later are sent clean.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "sim/HostileAnswers.h"

// One calibration combination: RADF, A1..A3 and the two G codes.
struct CalibrationSetting {
    uint8_t radf = 96;
    uint8_t a1 = 2;
    uint8_t a2 = 3;
    uint8_t a3 = 3;
    uint8_t g1 = 0x1C;
    uint8_t g2 = 0x1C;

    bool operator==(const CalibrationSetting& o) const {
        return radf == o.radf && a1 == o.a1 && a2 == o.a2 && a3 == o.a3 && g1 == o.g1 &&
               g2 == o.g2;
    }
    bool operator!=(const CalibrationSetting& o) const { return !(*this == o); }
};

enum class TagModulation { RF64, RF32, Other };

// What the module makes of a Block0 word.
struct Block0Info {
    bool q5 = false;
    bool passwordProtected = false;
    TagModulation modulation = TagModulation::Other;
    int maxBlock = 0;  // the last block the tag sends
};
Block0Info decodeBlock0(uint32_t word);

// The 64-bit EM4100 bit stream of a 5-byte ID, first bit in the top bit of byte 0.
std::array<uint8_t, 8> em4100Stream(const std::array<uint8_t, 5>& id);

// The ID that a T5557's 64-bit cycle (blocks 1 and 2) emulates, found at any
// rotation by encoding the candidate again; false when none is valid. Kept
// apart from the program's own decoder, so that one checks the other.
bool em4100IdOfCycle(uint32_t block1, uint32_t block2, std::array<uint8_t, 5>& id);
// Whether the cycle holds nine 1 bits in a row, where a reader would sync.
bool em4100HeaderInCycle(uint32_t block1, uint32_t block2);

// A tag the module can be given.
struct VirtualTag {
    // false: the fixed EM4100 tag; true: a programmable T5557 (see above).
    bool programmable = false;
    std::array<uint8_t, 5> emId{{0x1A, 0x2B, 0x3C, 0x4D, 0x5E}};
    // Block 0 defaults to T5557 rules, RF/64, max block 7, no password.
    std::array<uint32_t, 8> blocks{{0x001480E0, 0x52588B45, 0x02020202, 0x03030303, 0x04040404,
                                     0x05050505, 0x05050505, 0x00000000}};

    static VirtualTag blankT5557();
};

// Behaviour that makes the module misbehave on purpose, for tests.
struct Faults {
    bool silent = false;          // frames are recorded but neither executed nor answered
    bool badChecksum = false;     // the answer's checksum is off by one
    std::string asciiInstead;     // non-empty: these bytes are sent instead of the answer
    bool flashError = false;      // Set commands answer 0x66 and store nothing
    uint8_t flashErrorFor = 0;    // non-zero: this one Set command does so
    int tagFramesBeforeAnswer = 0;  // tag frames sent just ahead of each answer
    bool oversizeLength = false;  // answer with length byte 0x50 and 0x50 bytes behind it
    int answerDelayMs = 0;        // the answer goes out this long after the frame came
    size_t chunkSize = 0;         // non-zero: the answer goes out in pieces of this size...
    int chunkPauseMs = 0;         // ...with this pause between them
    // Non-zero: a tag frame every so often, whatever the state, the first one
    // this long after the module next sees the clock.
    int unsolicitedTagEveryMs = 0;
    bool nextAnswerOnly = false;    // clear the answer faults after the next answer
};

class SimulatedModule {
public:
    static constexpr size_t kConfigSize = 64;
    static constexpr int64_t kStaleFrameMs = 100;

    enum Reply : uint8_t { kAck = 0x99, kNak = 0x66, kFirmwareReply = 0x50, kTagFrame = 0x10 };

    // A piece of output and the line rate it is sent at.
    struct Transmission {
        uint32_t baud = 0;
        std::vector<uint8_t> bytes;
    };

    SimulatedModule();

    // --- the wire ---------------------------------------------------------
    // Bytes heard from the host at nowMs (the clock must not go backwards).
    void receive(const uint8_t* data, size_t n, int64_t nowMs);
    void receive(const std::vector<uint8_t>& bytes, int64_t nowMs) {
        receive(bytes.data(), bytes.size(), nowMs);
    }
    // Everything due by nowMs, in order; also runs the timed behaviour
    // (auto reading, unsolicited frames) up to nowMs.
    std::vector<uint8_t> takeOutput(int64_t nowMs);
    // The same, split where the line rate changes (a Reset's answer goes at
    // the old rate).
    std::vector<Transmission> takeTransmissions(int64_t nowMs);
    // When output is next due (a time <= now means at once), or -1 for none.
    int64_t nextDueMs() const;

    // A builder for frames in either direction: FF 01 L code data checksum.
    static std::vector<uint8_t> makeFrame(uint8_t code, const std::vector<uint8_t>& data = {});

    // Every correct frame received, whole (header to checksum).
    const std::vector<std::vector<uint8_t>>& receivedFrames() const { return m_received; }
    void clearReceivedFrames() { m_received.clear(); }

    // --- power and line rate ----------------------------------------------
    // Drops unsent output and partial input, ends reading and sleep, resets
    // the outputs, puts a pending rate into effect, and starts auto reading
    // when d23 is set.
    void powerCycle(int64_t nowMs);
    uint32_t baudRate() const;
    // The rate waiting for the next Reset, or 0.
    uint32_t pendingBaudRate() const;
    static uint32_t baudForCode(uint8_t code);  // 0 for an invalid code
    // The rate the module starts at, as if it had been stored long ago;
    // false for a rate it does not know.
    bool setBaudRate(uint32_t baud);

    // --- configuration block ----------------------------------------------
    static std::array<uint8_t, kConfigSize> factoryConfig();
    const std::array<uint8_t, kConfigSize>& config() const { return m_config; }
    void setConfig(const std::array<uint8_t, kConfigSize>& block) { m_config = block; }
    CalibrationSetting calibration() const;

    // --- tag and field ----------------------------------------------------
    void setTagInField(bool inField);
    bool tagInField() const { return m_tagInField; }
    // The tag placed on the antenna (in the field or not).
    VirtualTag& tag() { return m_tags[m_placed]; }
    const VirtualTag& tag() const { return m_tags[m_placed]; }
    enum class TagChoice { FixedEm4100 = 0, T5557 = 1 };
    // A tag in the field leaves and the chosen one enters; each keeps its data.
    void selectTag(TagChoice choice);
    TagChoice selectedTag() const { return static_cast<TagChoice>(m_placed); }
    // A new blank T5557 in place of the programmable one, and placed.
    void swapInBlankTag();
    void loseNextWrite() { m_loseNextWrite = true; }
    bool nextWriteLost() const { return m_loseNextWrite; }

    // Calibration combinations under which the tag reads. Factory default:
    // {96,2,3,3,1C,1C}, {95,2,3,3,18,1C}, {94,3,2,3,08,0C}.
    void setReadableSettings(const std::vector<CalibrationSetting>& settings);
    void setEverySettingReadable();
    static std::vector<CalibrationSetting> defaultReadableSettings();
    bool readsUnder(const CalibrationSetting& setting) const;

    // Interval of repeated tag frames while auto reading sees a tag.
    void setAutoRepeatMs(int ms) { m_autoRepeatMs = ms, m_autoRepeatUs = 0; }
    int autoRepeatMs() const { return m_autoRepeatMs; }
    // Burst mode: an interval below a millisecond (200 us is 5000 frames/s).
    // The frames due by each millisecond go out together; after a gap of more
    // than kBurstCatchUpMs (tag away, module busy) the count starts afresh.
    void setAutoRepeatMicros(int us);
    static constexpr int64_t kBurstCatchUpMs = 100;
    // Each tag frame sent carries the next EM4100 ID (the ID plus one), so a
    // stream can be checked for frames lost, doubled or out of order.
    void setCountTagIds(bool on) { m_countTagIds = on; }
    // Tag frames sent so far (answers to reads, continuous reading, faults).
    uint64_t tagFramesSent() const { return m_tagFramesSent; }

    // --- inputs, outputs, identity -----------------------------------------
    void setInput0(bool high) { m_input0 = high; }
    uint8_t outputs() const { return m_outputs; }  // bit 1 Output1, bit 0 Output0
    void setFirmwareVersion(const std::string& text) { m_firmware = text; }
    const std::string& firmwareVersion() const { return m_firmware; }
    bool asleep() const { return m_asleep; }
    // Whether a read is armed (continuous or not).
    bool reading() const { return m_read.active; }

    // --- faults -----------------------------------------------------------
    void setFaults(const Faults& faults);
    const Faults& faults() const { return m_faults; }
    void clearFaults() { setFaults(Faults{}); }
    void setHostile(uint32_t seed) { m_hostile.emplace(seed); }
    void clearHostile() { m_hostile.reset(); }
    bool hostile() const { return m_hostile.has_value(); }

private:
    struct ReadRequest {
        bool active = false;
        bool continuous = false;
        uint8_t readType = 3;
        uint8_t blocks = 1;
        bool withPassword = false;
        std::array<uint8_t, 4> password{};
        int64_t nextEmitMs = 0;
    };
    struct Pending {
        int64_t dueMs;
        uint32_t baud;
        std::vector<uint8_t> bytes;
    };

    void scanInput(int64_t nowMs);
    void execute(const std::vector<uint8_t>& frame, int64_t nowMs);
    // The answer to one frame and what follows it at once; empty answer = none.
    void emitAnswer(std::vector<uint8_t> answer, const std::vector<uint8_t>& followUp,
                    int64_t nowMs);
    void queue(int64_t dueMs, std::vector<uint8_t> bytes);
    void runTimers(int64_t nowMs);
    void restartAfterPowerUp(int64_t nowMs);
    void startAutoReading(int64_t nowMs);
    ReadRequest requestFrom(uint8_t type, uint8_t blocks) const;
    bool readable(const ReadRequest& r) const;
    bool matchesByteTrack() const;
    bool emulatesEm4100() const;
    std::vector<uint8_t> tagFrame(const ReadRequest& r) const;
    // tagFrame() for sending: counted, and moves a counting ID on.
    std::vector<uint8_t> nextTagFrame(const ReadRequest& r);
    void queueBurst(int64_t nowMs);
    std::vector<uint8_t> answerSet(const std::vector<uint8_t>& data, size_t first, size_t count,
                                   size_t need);

    std::array<uint8_t, kConfigSize> m_config;
    std::vector<uint8_t> m_rx;
    int64_t m_lastRxMs = 0;
    int64_t m_lastNowMs = 0;
    std::deque<Pending> m_out;
    std::vector<std::vector<uint8_t>> m_received;

    uint8_t m_baudCode = 1;
    int m_pendingBaudCode = -1;

    VirtualTag m_tags[2] = {VirtualTag{}, VirtualTag::blankT5557()};
    size_t m_placed = 0;
    bool m_loseNextWrite = false;
    bool m_tagInField = false;
    bool m_everySettingReads = false;
    std::vector<CalibrationSetting> m_readable;
    ReadRequest m_read;
    int m_autoRepeatMs = 1000;
    int m_autoRepeatUs = 0;     // non-zero: burst mode
    int64_t m_burstNextUs = 0;  // when the next frame of a burst is due
    bool m_countTagIds = false;
    uint64_t m_tagFramesSent = 0;

    bool m_input0 = true;
    uint8_t m_outputs = 0;
    bool m_asleep = false;
    std::string m_firmware = "ZQ361 SIM 1.0";

    Faults m_faults;
    std::optional<HostileAnswers> m_hostile;
    int64_t m_nextUnsolicitedMs = -1;
    bool m_unsolicitedToSchedule = false;
};

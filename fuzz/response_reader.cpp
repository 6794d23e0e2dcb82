// The response reader (ReadResponse, and the received-data handler that runs it
// for bytes the module sends on its own) fed any bytes, split anywhere and
// paced anyhow, over a scripted line in virtual time.
//
// Input: byte 0 = R (low 4 bits, up to 15 chunk records; bit 7 set selects the
// tag programming poll limit), then R records of three bytes [size, gap,
// burst], then the payload. A record takes `size` payload bytes (0: all that
// is left), which arrive `gap` * 2 ms after the previous chunk; a burst byte
// FF repeats them up to 40000 bytes, a flood beyond what one non-frame report
// takes. Payload the records leave over arrives last, at once.
//
// After every call of ReadResponse the outcome must match the bytes it took:
// a frame reply is exactly the hex text of one whole frame with a right
// checksum, and nothing beyond the frame's length was taken; every status has
// its own log line; no line is longer than the bytes taken allow; and every
// byte delivered is either taken, discarded or still waiting.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "link/CommandTable.h"
#include "link/TALVOR_comport.h"
#include "support/ScriptedLine.h"

namespace {

constexpr size_t kMaxLineBytes = 40000;
constexpr int kMaxCalls = 64;
const std::string kUnchanged = "unchanged";

std::string withoutZeros(const std::string& bytes) {
    std::string out;
    for (char c : bytes)
        if (c != '\0') out += c;
    return out;
}

// One character per byte, as UTF-8: the log shows bytes as Latin-1 characters.
std::string asCharacters(const std::string& bytes) {
    std::string out;
    for (unsigned char b : bytes) {
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

std::string hexOf(const std::string& bytes) {
    return HexText(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
}

std::string zeroXOf(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) out += {'0', 'x', digits[c >> 4], digits[c & 15], ' '};
    return out;
}

uint8_t byteAt(const std::string& s, size_t i) { return static_cast<uint8_t>(s[i]); }

void buildScript(const uint8_t* data, size_t size, ScriptedLine& line) {
    if (size == 0) return;
    const size_t records = std::min<size_t>(data[0] & 0x0F, (size - 1) / 3);
    size_t at = 1 + records * 3;
    size_t total = 0;
    auto add = [&](std::chrono::microseconds gap, size_t from, size_t count, size_t copies) {
        std::string chunk(reinterpret_cast<const char*>(data) + from, count);
        std::string bytes;
        for (size_t i = 0; i < copies && total + bytes.size() + count <= kMaxLineBytes; ++i)
            bytes += chunk;
        total += bytes.size();
        line.Add(gap, bytes);
    };
    for (size_t r = 0; r < records && at < size; ++r) {
        const uint8_t* rec = data + 1 + r * 3;
        const size_t count = rec[0] == 0 ? size - at : std::min<size_t>(rec[0], size - at);
        const size_t copies = rec[2] == 0xFF ? kMaxLineBytes : 1;
        add(std::chrono::milliseconds(2 * rec[1]), at, count, copies);
        at += count;
    }
    if (at < size) add(std::chrono::microseconds(0), at, size - at, 1);
}

// What one ReadResponse call did: the bytes it took, the lines it logged.
struct Call {
    std::string taken;
    std::vector<std::string> lines;
    std::string dataText;  // kUnchanged when left alone
    std::string replyText;
    bool dataShown = true;  // the unsolicited path does not show the data text
};

void checkFrameReply(const Call& c) {
    const std::string& t = c.taken;
    FUZZ_CHECK(t.size() >= 4 && byteAt(t, 0) == 0xFF, hexOf(t));
    FUZZ_CHECK(t.size() == size_t{byteAt(t, 2)} + 4u, "read past the frame: " + hexOf(t));
    uint8_t sum = 0;
    for (size_t i = 1; i + 1 < t.size(); ++i) sum = static_cast<uint8_t>(sum + byteAt(t, i));
    FUZZ_CHECK(sum == byteAt(t, t.size() - 1), "accepted a wrong checksum: " + hexOf(t));
    FUZZ_CHECK(c.replyText == hexOf(t), c.replyText + " for " + hexOf(t));
    FUZZ_CHECK(!c.dataShown || c.dataText == withoutZeros(t.substr(4, t.size() - 5)), hexOf(t));
    FUZZ_CHECK(c.lines.empty(), c.lines.front());
    FUZZ_CHECK(ReplyCode(c.replyText) == hexOf(t.substr(3, 1)).substr(0, 2), c.replyText);
}

void checkCall(const Call& c, size_t waitingAfter) {
    const std::string& t = c.taken;
    for (const std::string& l : c.lines)
        FUZZ_CHECK(l.size() <= 40 + 7 * t.size(), "log line longer than its bytes: " + l);

    if (c.replyText == "none_protocol") {
        FUZZ_CHECK(t.size() > 3 && byteAt(t, 0) != 0xFF, hexOf(t));
        FUZZ_CHECK(t.size() <= 3 + size_t{kMaxNonFrameBytes}, "took more than one report");
        const std::string report = "Incoming ASCII Characters >" + asCharacters(withoutZeros(t)) +
                                   "\t( As HEX >" + zeroXOf(t) + ")";
        FUZZ_CHECK(c.lines.size() == 1 && c.lines[0] == report,
                   (c.lines.empty() ? "no line" : c.lines[0]) + "\nexpected\n" + report);
        FUZZ_CHECK(!c.dataShown || c.dataText == kUnchanged, c.dataText);
    } else if (c.replyText.empty()) {
        // Three non-frame bytes and nothing after them within the pause.
        FUZZ_CHECK(t.size() == 3 && byteAt(t, 0) != 0xFF && c.lines.empty(), hexOf(t));
        FUZZ_CHECK(!c.dataShown || c.dataText == kUnchanged, c.dataText);
    } else if (c.replyText == "error") {
        FUZZ_CHECK(c.lines.size() == 1, std::to_string(c.lines.size()) + " lines");
        const std::string& why = c.lines[0];
        if (why == "***Timeout.No Response***") {
            FUZZ_CHECK(t.size() < 3 || (t.size() == 3 && byteAt(t, 0) == 0xFF), hexOf(t));
            FUZZ_CHECK(waitingAfter == 0, "queues not discarded on a time-out");
            FUZZ_CHECK(!c.dataShown || c.dataText == kUnchanged, c.dataText);
        } else if (why == "Checksum error in Response Array") {
            FUZZ_CHECK(t.size() == size_t{byteAt(t, 2)} + 4u && byteAt(t, 0) == 0xFF, hexOf(t));
            FUZZ_CHECK(!c.dataShown || c.dataText == withoutZeros(t.substr(4, t.size() - 5)),
                       hexOf(t));
        } else {
            FUZZ_CHECK(why.rfind("Invalid response length ", 0) == 0, why);
            FUZZ_CHECK(t.size() == 3 && byteAt(t, 2) > 65, hexOf(t));
        }
    } else {
        checkFrameReply(c);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScriptedLine line;
    PollLimit = size > 0 && (data[0] & 0x80) ? kProgrammingPollLimit : kNormalPollLimit;

    Tcom_form host;
    std::vector<std::string> lines;
    // How many bytes had been taken when each line was logged.
    std::vector<size_t> takenAtLine;
    host.SetLineSink([&](const std::string& l) {
        lines.push_back(l);
        takenAtLine.push_back(line.Consumed().size());
    });
    host.comport1.SetEvents(TComEvents{});
    host.comport1.UseBackend(line.Backend());
    host.SetClock(&line);
    host.comport1.Open();

    TFrameBuffer frame{};
    BuildFrame(frame, Commands::ReadConfig, {});
    const std::string sent = host.SendFrame(frame, Commands::ReadConfig.frameSize);
    FUZZ_CHECK(hexOf(line.Written()) == sent, sent);
    // The answer comes after the command.
    buildScript(data, size, line);

    for (int n = 0; n < kMaxCalls; ++n) {
        if (n > 0) {
            // The received-data handler runs only when bytes wait.
            line.AwaitInput();
            if (line.Waiting() == 0) break;
        }
        size_t takenBefore = line.Consumed().size();
        lines.clear();
        takenAtLine.clear();
        if (n == 0) {
            Call c;
            c.dataText = kUnchanged;
            host.ReadResponse(c.dataText, c.replyText);
            c.lines = std::move(lines);
            c.taken = line.Consumed().substr(takenBefore);
            checkCall(c, line.Waiting());
        } else {
            // The unsolicited path: for each ReadResponse, its lines, then
            // "RX > " + reply unless the bytes were no frame. One event may
            // take several frames; only the last outcome may be other than one.
            host.comport1RxChar(&host.comport1, static_cast<int32_t>(line.Waiting()));
            size_t from = 0;
            for (size_t i = 0; i <= lines.size(); ++i) {
                const bool last = i == lines.size();
                if (!last && lines[i].rfind("RX > ", 0) != 0) continue;
                if (last && from == lines.size() && from > 0) break;
                Call c;
                c.dataShown = false;
                c.dataText = kUnchanged;
                c.lines.assign(lines.begin() + static_cast<long>(from),
                               lines.begin() + static_cast<long>(i));
                c.replyText = last ? "none_protocol" : lines[i].substr(5);
                const size_t takenAfter = last ? line.Consumed().size() : takenAtLine[i];
                c.taken = line.Consumed().substr(takenBefore, takenAfter - takenBefore);
                FUZZ_CHECK(last || i + 1 == lines.size() || c.replyText.size() >= 12,
                           "went on after " + c.replyText);
                checkCall(c, last || i + 1 == lines.size() ? line.Waiting() : 0);
                takenBefore = takenAfter;
                from = i + 1;
            }
        }
        FUZZ_CHECK(line.Delivered() == line.Consumed().size() + line.Purged() + line.Waiting(),
                   "bytes lost or duplicated between the line and the reader");
    }
    return 0;
}

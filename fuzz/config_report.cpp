// The configuration report fed any reply text, and any configuration block.
//
// Input byte 0 chooses: even = the rest is a reply text as it stands, which
// must give either the report or a conversion error, never anything else; odd
// = the rest (zero-padded) is a 69-byte Read Config answer, given as the hex
// text ReadResponse makes of it, whose report must show every field from its
// own byte. Bit 1 of byte 0 selects "," as the decimal separator.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "module/ConfigReport.h"
#include "link/Conversions.h"
#include "link/TALVOR_comport.h"

namespace {

using Lines = std::vector<std::string>;

std::string dec(unsigned v) { return std::to_string(v); }
std::string hex2(unsigned v) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", v & 0xFF);
    return buf;
}

bool has(const Lines& lines, const std::string& line) {
    for (const std::string& l : lines)
        if (l == line) return true;
    return false;
}

std::string joined(const Lines& lines) {
    std::string all;
    for (const std::string& l : lines) all += l + "\n";
    return all;
}

void checkShape(const Lines& lines) {
    // 36 lines at the least (UART and Wiegand off, no read type), 40 at the most.
    FUZZ_CHECK(lines.size() >= 36 && lines.size() <= 40, joined(lines));
    for (const std::string& l : lines)
        FUZZ_CHECK(l.size() <= 60 && l.find('\n') == std::string::npos, l);
}

// The frequency of a RADF byte, read back from its "0.##" text.
void checkFrequency(unsigned radf, char separator) {
    const std::string text = FormatFrequency(static_cast<int>(radf), separator);
    std::string dotted = text;
    const size_t sep = dotted.find(separator);
    if (sep != std::string::npos) {
        dotted[sep] = '.';
        FUZZ_CHECK(sep + 1 < text.size() && text.size() - sep - 1 <= 2 && text.back() != '0', text);
    }
    const double shown = std::strtod(dotted.c_str(), nullptr);
    FUZZ_CHECK(std::fabs(shown - 12000.0 / radf) <= 0.005 + 1e-9, text + " for " + dec(radf));
}

void checkFields(const std::vector<uint8_t>& f, const Lines& lines, char separator) {
    auto d = [&f](int n) -> unsigned { return f[static_cast<size_t>(n + 4)]; };
    const std::string all = joined(lines);
    const struct {
        const char* label;
        int byte;
    } decimals[] = {{"WG:", 0},
                    {"SG:", 1},
                    {"ONE:", 2},
                    {"ZERO:", 3},
                    {"PADF:", 4},
                    {"A1:", 9},
                    {"A2:", 10},
                    {"A3:", 11},
                    {"Number of blocks to be read: ", 25},
                    {"No of bytes to be tracked:", 32}};
    for (const auto& field : decimals)
        FUZZ_CHECK(has(lines, field.label + dec(d(field.byte))), field.label + ("\n" + all));
    FUZZ_CHECK(has(lines, "Password: " + hex2(d(19)) + hex2(d(20)) + hex2(d(21)) + hex2(d(22))),
               all);
    FUZZ_CHECK(has(lines, "Slave Address:" + hex2(d(38))), all);
    FUZZ_CHECK(has(lines, "G1:" + GCodeLabel(d(7))) && has(lines, "G2:" + GCodeLabel(d(8))), all);
    std::string track = "Track:";
    for (unsigned k = 0; k < d(32) && k < 4; ++k)
        track += " 0x" + hex2(d(33 + static_cast<int>(k)));
    FUZZ_CHECK(has(lines, track), all);
    if (d(5) != 0) {
        FUZZ_CHECK(has(lines, "RADF:" + dec(d(5)) + " - (" +
                                  FormatFrequency(static_cast<int>(d(5)), separator) + " KHz)"),
                   all);
        checkFrequency(d(5), separator);
    }
    if (d(27) & 0x80) {
        FUZZ_CHECK(
            has(lines, "Identification Code: Byte" + dec(d(29) + 1) + " Byte" + dec(d(30) + 1)),
            all);
        FUZZ_CHECK(has(lines, (d(27) & 1) ? "Facility Byte: 0x" + hex2(d(28)) + " (fixed)"
                                          : "Facility Byte: Byte" + dec(d(28) + 1)),
                   all);
    } else {
        FUZZ_CHECK(has(lines, "Wiegand: Disabled") && all.find("Facility") == std::string::npos,
                   all);
    }
    FUZZ_CHECK((all.find("Read Type: ") != std::string::npos) == (d(24) >= 1 && d(24) <= 4), all);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const char separator = (data[0] & 2) ? ',' : '.';
    if ((data[0] & 1) == 0) {
        const std::string reply(reinterpret_cast<const char*>(data) + 1, size - 1);
        const bool accepted = IsConfigReply(reply);
        FUZZ_CHECK(accepted == (reply.size() >= 8 && reply.compare(6, 2, "41") == 0), reply);
        if (!accepted) return 0;
        try {
            checkShape(ConfigReportLines(reply, separator));
        } catch (const EConvertError&) {
            // Text that no exchange returns: refused like any bad hexadecimal field.
        }
        return 0;
    }
    std::vector<uint8_t> frame(data + 1, data + std::min<size_t>(size, 70));
    frame.resize(69, 0);
    frame[0] = 0xFF;
    frame[2] = 0x41;
    const std::string reply = HexText(frame.data(), static_cast<int>(frame.size()));
    FUZZ_CHECK(IsConfigReply(reply), reply);
    const Lines lines = ConfigReportLines(reply, separator);
    checkShape(lines);
    checkFields(frame, lines, separator);
    return 0;
}

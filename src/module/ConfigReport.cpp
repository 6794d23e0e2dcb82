#include "module/ConfigReport.h"

#include <cstdio>

#include "link/CommandTable.h"
#include "link/Conversions.h"

namespace {

constexpr int kConfigLength = 0x41;

std::string hex2(unsigned v) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", v & 0xFFu);
    return buf;
}

}  // namespace

bool IsConfigReply(const std::string& replyText) {
    return replyText.size() >= 8 && replyText.substr(6, 2) == hex2(kConfigLength);
}

std::string FormatFrequency(int radf, char decimalSeparator) {
    // In hundredths of a kHz, rounded, so no floating-point formatting (and
    // no LC_NUMERIC) is involved: 12000 / radf kHz = 1200000 / radf hundredths.
    const long hundredths = (1200000L + radf / 2) / radf;
    std::string text = std::to_string(hundredths / 100);
    int fraction = static_cast<int>(hundredths % 100);
    if (fraction == 0) return text;
    text += decimalSeparator;
    text += static_cast<char>('0' + fraction / 10);
    if (fraction % 10 != 0) text += static_cast<char>('0' + fraction % 10);
    return text;
}

std::string GCodeLabel(unsigned code) {
    // The report's own five names come first; the gain table names the rest.
    static const GCode reportNames[] = {
        {"4", 0x38}, {"8", 0x18}, {"16", 0x08}, {"24", 0x1C}, {"48", 0x0C}};
    for (const GCode& g : reportNames)
        if (g.code == code) return g.label;
    for (const GCode& g : kGCodeTable)
        if (g.code == code) return g.label;
    return "0x" + hex2(code);
}

std::vector<std::string> ConfigReportLines(const std::string& replyText, char decimalSeparator) {
    // Data byte n is frame byte n + 4, at characters 3(n + 4) + 1 and + 2.
    auto d = [&replyText](int n) -> unsigned {
        const size_t at = static_cast<size_t>(3 * (n + 4));
        return at + 2 <= replyText.size() ? HexPairToByte(replyText.substr(at, 2)) : 0u;
    };
    const auto dec = [](unsigned v) { return std::to_string(v); };
    std::vector<std::string> lines;
    auto add = [&lines](std::string line) { lines.push_back(std::move(line)); };

    add("");
    add("Settings> Tag Programming Parameters");
    add("WG:" + dec(d(0)));
    add("SG:" + dec(d(1)));
    add("ONE:" + dec(d(2)));
    add("ZERO:" + dec(d(3)));
    add("PADF:" + dec(d(4)));
    add("");
    add("Settings> Calibration Parameters");
    if (d(5) == 0)
        add("RADF:0 - (frequency unknown)");
    else
        add("RADF:" + dec(d(5)) + " - (" +
            FormatFrequency(static_cast<int>(d(5)), decimalSeparator) + " KHz)");
    add("G1:" + GCodeLabel(d(7)));
    add("G2:" + GCodeLabel(d(8)));
    add("A1:" + dec(d(9)));
    add("A2:" + dec(d(10)));
    add("A3:" + dec(d(11)));
    add("");
    add("Auto Mode Read Parameters");
    add(d(23) == 0 ? "Auto Read Mode: Disabled" : "Auto Read Mode: Enabled");
    add(d(18) == 0 ? "Send Password: No" : "Send Password: Yes");
    add("Password: " + hex2(d(19)) + hex2(d(20)) + hex2(d(21)) + hex2(d(22)));
    switch (d(24)) {
        case 1:
            add("Read Type: Byte Track - Manchester RF/64");
            break;
        case 2:
            add("Read Type: EM4102 Decoded Raw");
            break;
        case 3:
            add("Read Type: EM4102 Decoded");
            break;
        case 4:
            add("Read Type: Byte Track - Manchester RF/32");
            break;
        default:
            break;
    }
    add("Number of blocks to be read: " + dec(d(25)));
    add("");
    add("OUTPUT SELECTIONS");
    const unsigned uart = d(26);
    if ((uart & 0x80) == 0) {
        add("UART: Disabled");
    } else {
        add("UART: Enabled");
        std::string type = (uart & 0x01) ? "UART OUTPUT TYPE: Protocol" : "UART OUTPUT TYPE: Ascii";
        if (uart & 0x04) type += " + CR ";
        if (uart & 0x02) type += " + LF ";
        add(type);
    }
    add("");
    const unsigned wiegand = d(27);
    if ((wiegand & 0x80) == 0) {
        add("Wiegand: Disabled");
    } else {
        add("Wiegand: Enabled");
        if (wiegand & 0x01)
            add("Facility Byte: 0x" + hex2(d(28)) + " (fixed)");
        else
            add("Facility Byte: Byte" + dec(d(28) + 1));
        add("Identification Code: Byte" + dec(d(29) + 1) + " Byte" + dec(d(30) + 1));
    }
    add("");
    add(d(31) == 0 ? "Output0 P0[5] is disabled"
                   : "Output0 P0[5] High Time:" + dec(d(31)) + " * 30 miliseconds");
    add("");
    add("BYTE TRACK PARAMETERS (If Byte Track mode is used)");
    const unsigned count = d(32);
    add("No of bytes to be tracked:" + dec(count));
    // The block holds four track bytes; a larger count never reads past them.
    std::string track = "Track:";
    for (unsigned k = 0; k < count && k < 4; ++k)
        track += " 0x" + hex2(d(33 + static_cast<int>(k)));
    add(track);
    add("");
    add("I2C Settings");
    add(d(37) == 0 ? "I2C Disabled" : "I2C Enabled");
    add("Slave Address:" + hex2(d(38)));
    return lines;
}

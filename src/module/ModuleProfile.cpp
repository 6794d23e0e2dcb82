#include "module/ModuleProfile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <sstream>

#include "link/CommandTable.h"
#include "module/ConfigReport.h"
#include "module/OutputSelection.h"

namespace {

using Block = ConfigBlock;

std::string hex2(unsigned v) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", v & 0xFFu);
    return buf;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

[[noreturn]] void refuse(const std::string& value, const std::string& expected) {
    throw std::invalid_argument("'" + value + "' is not " + expected);
}

int number(const std::string& v, int lo, int hi) {
    const std::string expected =
        "a number from " + std::to_string(lo) + " to " + std::to_string(hi);
    if (v.empty() || v.size() > 4 || !std::all_of(v.begin(), v.end(), ::isdigit))
        refuse(v, expected);
    const int n = std::stoi(v);
    if (n < lo || n > hi) refuse(v, expected);
    return n;
}

int hexByte(const std::string& v) {
    if (v.size() != 2 || !std::all_of(v.begin(), v.end(), ::isxdigit))
        refuse(v, "two hexadecimal digits");
    return std::stoi(v, nullptr, 16);
}

bool word(const std::string& v, const char* yes, const char* no) {
    if (lower(v) == yes) return true;
    if (lower(v) == no) return false;
    refuse(v, std::string(yes) + " or " + no);
}

// "Byte1" ... "Byte28", the tag data positions the output selection offers.
int position(const std::string& v) {
    if (lower(v).rfind("byte", 0) != 0) refuse(v, "Byte1 to Byte" + std::to_string(kTagDataBytes));
    try {
        return number(v.substr(4), 1, kTagDataBytes) - 1;
    } catch (const std::invalid_argument&) {
        refuse(v, "Byte1 to Byte" + std::to_string(kTagDataBytes));
    }
}

void setBit(Block& b, int at, uint8_t bit, bool on) {
    b[at] = static_cast<uint8_t>(on ? b[at] | bit : b[at] & ~bit);
}

struct Field {
    ProfileGroup group;
    const char* key;
    std::vector<int> bytes;
    std::string (*format)(const Block&);
    void (*parse)(const std::string&, Block&);
    bool (*shown)(const Block&) = nullptr;  // nullptr: always
};

bool uartOn(const Block& b) { return b[26] & 0x80; }
bool wiegandOn(const Block& b) { return b[27] & 0x80; }

const std::vector<Field>& fields() {
    using G = ProfileGroup;
    static const std::vector<Field> all = [] {
        std::vector<Field> f;
        auto param = [&f](const char* key, auto at) {
            constexpr int n = decltype(at)::value;
            f.push_back({G::TagProgramming,
                         key,
                         {n},
                         [](const Block& b) { return std::to_string(b[n]); },
                         [](const std::string& v, Block& b) {
                             b[n] = static_cast<uint8_t>(number(v, 0, 255));
                         }});
        };
        param("WG", std::integral_constant<int, 0>{});
        param("SG", std::integral_constant<int, 1>{});
        param("ONE", std::integral_constant<int, 2>{});
        param("ZERO", std::integral_constant<int, 3>{});
        param("PADF", std::integral_constant<int, 4>{});
        // The calibration dialog's ranges.
        f.push_back({G::Calibration,
                     "RADF",
                     {5},
                     [](const Block& b) { return std::to_string(b[5]); },
                     [](const std::string& v, Block& b) {
                         b[5] = static_cast<uint8_t>(number(v, 92, 100));
                     }});
        auto gain = [&f](const char* key, auto at) {
            constexpr int n = decltype(at)::value;
            f.push_back({G::Calibration,
                         key,
                         {n},
                         [](const Block& b) { return GCodeLabel(b[n]); },
                         [](const std::string& v, Block& b) {
                             for (const GCode& g : kGCodeTable)
                                 if (v == g.label) return void(b[n] = g.code);
                             refuse(v, "a gain of the G table (1, 1.14, ... 48)");
                         }});
        };
        gain("G1", std::integral_constant<int, 7>{});
        gain("G2", std::integral_constant<int, 8>{});
        auto antenna = [&f](const char* key, auto at) {
            constexpr int n = decltype(at)::value;
            f.push_back({G::Calibration,
                         key,
                         {n},
                         [](const Block& b) { return std::to_string(b[n]); },
                         [](const std::string& v, Block& b) {
                             b[n] = static_cast<uint8_t>(number(v, 1, 3));
                         }});
        };
        antenna("A1", std::integral_constant<int, 9>{});
        antenna("A2", std::integral_constant<int, 10>{});
        antenna("A3", std::integral_constant<int, 11>{});

        f.push_back(
            {G::AutoMode,
             "Auto Read Mode",
             {23},
             [](const Block& b) { return std::string(b[23] ? "enabled" : "disabled"); },
             [](const std::string& v, Block& b) { b[23] = word(v, "enabled", "disabled"); }});
        f.push_back({G::AutoMode,
                     "Send Password",
                     {18},
                     [](const Block& b) { return std::string(b[18] ? "yes" : "no"); },
                     [](const std::string& v, Block& b) { b[18] = word(v, "yes", "no"); }});
        f.push_back(
            {G::AutoMode,
             "Password",
             {19, 20, 21, 22},
             [](const Block& b) { return hex2(b[19]) + hex2(b[20]) + hex2(b[21]) + hex2(b[22]); },
             [](const std::string& v, Block& b) {
                 if (v.size() != 8) refuse(v, "eight hexadecimal digits");
                 for (int i = 0; i < 4; ++i)
                     b[19 + i] = static_cast<uint8_t>(hexByte(v.substr(2 * i, 2)));
             }});
        f.push_back({G::AutoMode,
                     "Read Type",
                     {24},
                     [](const Block& b) { return std::to_string(b[24]); },
                     [](const std::string& v, Block& b) {
                         b[24] = static_cast<uint8_t>(number(v, 1, 4));
                     }});
        f.push_back({G::AutoMode,
                     "Number of blocks to be read",
                     {25},
                     [](const Block& b) { return std::to_string(b[25]); },
                     [](const std::string& v, Block& b) {
                         b[25] = static_cast<uint8_t>(number(v, 0, 255));
                     }});

        f.push_back({G::Output,
                     "UART",
                     {26},
                     [](const Block& b) { return std::string(uartOn(b) ? "enabled" : "disabled"); },
                     [](const std::string& v, Block& b) {
                         setBit(b, 26, 0x80, word(v, "enabled", "disabled"));
                     }});
        f.push_back(
            {G::Output,
             "UART Output Type",
             {26},
             [](const Block& b) { return std::string(b[26] & 0x01 ? "Protocol" : "Ascii"); },
             [](const std::string& v, Block& b) {
                 setBit(b, 26, 0x01, word(v, "protocol", "ascii"));
             },
             uartOn});
        f.push_back(
            {G::Output,
             "CR",
             {26},
             [](const Block& b) { return std::string(b[26] & 0x04 ? "yes" : "no"); },
             [](const std::string& v, Block& b) { setBit(b, 26, 0x04, word(v, "yes", "no")); },
             uartOn});
        f.push_back(
            {G::Output,
             "LF",
             {26},
             [](const Block& b) { return std::string(b[26] & 0x02 ? "yes" : "no"); },
             [](const std::string& v, Block& b) { setBit(b, 26, 0x02, word(v, "yes", "no")); },
             uartOn});
        f.push_back(
            {G::Output,
             "Wiegand",
             {27},
             [](const Block& b) { return std::string(wiegandOn(b) ? "enabled" : "disabled"); },
             [](const std::string& v, Block& b) {
                 setBit(b, 27, 0x80, word(v, "enabled", "disabled"));
             }});
        f.push_back({G::Output,
                     "Facility Byte",
                     {27, 28},
                     [](const Block& b) {
                         return b[27] & 0x01 ? "0x" + hex2(b[28]) + " (fixed)"
                                             : "Byte" + std::to_string(b[28] + 1);
                     },
                     [](const std::string& v, Block& b) {
                         const std::string l = lower(v);
                         const bool fixed =
                             l.size() == 12 && l.rfind("0x", 0) == 0 && l.substr(4) == " (fixed)";
                         setBit(b, 27, 0x01, fixed);
                         b[28] =
                             static_cast<uint8_t>(fixed ? hexByte(v.substr(2, 2)) : position(v));
                     },
                     wiegandOn});
        f.push_back({G::Output,
                     "Identification Code",
                     {29, 30},
                     [](const Block& b) {
                         return "Byte" + std::to_string(b[29] + 1) + " Byte" +
                                std::to_string(b[30] + 1);
                     },
                     [](const std::string& v, Block& b) {
                         const auto blank = v.find(' ');
                         if (blank == std::string::npos) refuse(v, "two positions (Byte1 Byte2)");
                         b[29] = static_cast<uint8_t>(position(v.substr(0, blank)));
                         b[30] = static_cast<uint8_t>(position(trimmed(v.substr(blank))));
                     },
                     wiegandOn});
        f.push_back(
            {G::Output,
             "Output0 P0[5] High Time",
             {31},
             [](const Block& b) { return b[31] ? std::to_string(b[31]) : std::string("disabled"); },
             [](const std::string& v, Block& b) {
                 b[31] =
                     lower(v) == "disabled" ? 0 : static_cast<uint8_t>(number(v, 1, kMaxHighTime));
             }});

        f.push_back({G::ByteTrack,
                     "Track",
                     {32, 33, 34, 35, 36},
                     [](const Block& b) {
                         std::string t;
                         for (int k = 0; k < std::min<int>(b[32], 4); ++k)
                             t += (k ? " " : "") + hex2(b[33 + k]);
                         return t;
                     },
                     [](const std::string& v, Block& b) {
                         std::istringstream in(v);
                         std::vector<int> bytes;
                         for (std::string pair; in >> pair;) bytes.push_back(hexByte(pair));
                         if (bytes.empty() || bytes.size() > 4)
                             refuse(v, "one to four bytes in hexadecimal (52 58 8B 45)");
                         b[32] = static_cast<uint8_t>(bytes.size());
                         for (size_t k = 0; k < 4; ++k)
                             b[33 + k] = static_cast<uint8_t>(k < bytes.size() ? bytes[k] : 0);
                     }});
        f.push_back(
            {G::I2C,
             "I2C",
             {37},
             [](const Block& b) { return std::string(b[37] ? "enabled" : "disabled"); },
             [](const std::string& v, Block& b) { b[37] = word(v, "enabled", "disabled"); }});
        f.push_back(
            {G::I2C,
             "Slave Address",
             {38},
             [](const Block& b) { return hex2(b[38]); },
             [](const std::string& v, Block& b) { b[38] = static_cast<uint8_t>(hexByte(v)); }});
        return f;
    }();
    return all;
}

bool shownIn(const Field& f, const Block& b) { return !f.shown || f.shown(b); }

constexpr const char* kSections[kProfileGroups] = {"Tag Programming Parameters",
                                                   "Calibration Parameters",
                                                   "Auto Mode Read Parameters",
                                                   "Output Selections",
                                                   "Byte Track",
                                                   "I2C Settings"};

}  // namespace

const char* SectionOf(ProfileGroup group) { return kSections[static_cast<int>(group)]; }

ProfileError::ProfileError(int line, const std::string& message)
    : std::runtime_error(line > 0 ? "line " + std::to_string(line) + ": " + message : message),
      line_(line) {}

std::string ProfileTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return text;
}

std::string WriteProfile(const ConfigBlock& block, int baud, const std::string& firmware,
                         const std::string& savedAt) {
    std::string out =
        "# TALVOR module profile\n# Firmware: " + firmware + "\n# Saved: " + savedAt +
        "\n# Baud is applied only on request (--baud-too).\nBaud = " + std::to_string(baud) + "\n";
    int group = -1;
    for (const Field& f : fields()) {
        if (static_cast<int>(f.group) != group) {
            group = static_cast<int>(f.group);
            out += std::string("\n[") + kSections[group] + "]\n";
        }
        if (shownIn(f, block)) out += std::string(f.key) + " = " + f.format(block) + "\n";
    }
    return out;
}

ModuleProfile ParseProfile(const std::string& text) {
    ModuleProfile profile;
    std::vector<int> seenAt(fields().size(), 0);
    int sectionLine[kProfileGroups] = {};
    int section = -1;
    int baudLine = 0;
    std::istringstream in(text);
    int lineNo = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++lineNo;
        const std::string line = trimmed(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line.front() == '[') {
            const std::string name =
                line.back() == ']' ? trimmed(line.substr(1, line.size() - 2)) : "";
            const auto at = std::find(std::begin(kSections), std::end(kSections), name);
            if (at == std::end(kSections)) throw ProfileError(lineNo, "unknown section " + line);
            section = static_cast<int>(at - std::begin(kSections));
            if (sectionLine[section])
                throw ProfileError(lineNo, "section " + line + " given twice");
            sectionLine[section] = lineNo;
            profile.groups[section] = true;
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) throw ProfileError(lineNo, "not a \"key = value\" line");
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        if (section < 0) {
            if (key != "Baud")
                throw ProfileError(lineNo, "unknown key \"" + key + "\" before any section");
            if (baudLine)
                throw ProfileError(
                    lineNo, "Baud given twice (first on line " + std::to_string(baudLine) + ")");
            baudLine = lineNo;
            const auto rate = std::find(std::begin(kBaudRatesByCode), std::end(kBaudRatesByCode),
                                        std::atoi(value.c_str()));
            if (rate == std::end(kBaudRatesByCode) || std::to_string(*rate) != value)
                throw ProfileError(
                    lineNo, "Baud: '" + value + "' is not 9600, 19200, 38400, 57600 or 115200");
            profile.baud = *rate;
            continue;
        }
        size_t i = 0;
        while (i < fields().size() &&
               !(static_cast<int>(fields()[i].group) == section && key == fields()[i].key))
            ++i;
        if (i == fields().size())
            throw ProfileError(lineNo,
                               "unknown key \"" + key + "\" in [" + kSections[section] + "]");
        if (seenAt[i])
            throw ProfileError(
                lineNo, key + " given twice (first on line " + std::to_string(seenAt[i]) + ")");
        seenAt[i] = lineNo;
        try {
            fields()[i].parse(value, profile.block);
        } catch (const std::invalid_argument& e) {
            throw ProfileError(lineNo, key + ": " + e.what());
        }
    }
    // A group is written whole, so each field it shows must be there.
    for (size_t i = 0; i < fields().size(); ++i) {
        const Field& f = fields()[i];
        const int g = static_cast<int>(f.group);
        if (profile.groups[g] && !seenAt[i] && shownIn(f, profile.block))
            throw ProfileError(sectionLine[g],
                               std::string("[") + kSections[g] + "] lacks " + f.key);
    }
    return profile;
}

std::vector<FieldDifference> CompareProfile(const ModuleProfile& profile,
                                            const ConfigBlock& module) {
    std::vector<FieldDifference> out;
    for (const Field& f : fields()) {
        if (!profile.Has(f.group)) continue;
        const std::string mine = shownIn(f, profile.block) ? f.format(profile.block) : "";
        const std::string theirs = shownIn(f, module) ? f.format(module) : "";
        if (mine != theirs) out.push_back({SectionOf(f.group), f.key, mine, theirs});
    }
    return out;
}

std::string DifferenceLine(const FieldDifference& d) {
    auto shown = [](const std::string& v) { return v.empty() ? std::string("(not shown)") : v; };
    return d.key + ": profile " + shown(d.profile) + ", module " + shown(d.module);
}

std::vector<NamedField> NamedFields(const ConfigBlock& block) {
    std::vector<NamedField> out;
    for (const Field& f : fields())
        out.push_back(
            {SectionOf(f.group), f.key, f.bytes, shownIn(f, block) ? f.format(block) : ""});
    return out;
}

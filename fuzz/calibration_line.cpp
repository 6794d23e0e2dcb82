// The calibration result line and its parser. Any line: the parser finds
// values only right after their labels, each up to a blank, and finds nothing
// in a line without "RADF:". A line the dialog writes: parsing gives back
// every value it was written from.
//
// Input byte 0 chooses: even = the rest is a line as it stands; odd = the
// rest gives four numbers (a byte each, the first two making RADF) and two G
// labels separated by a NUL byte (blanks removed, as no label holds one).
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "dialogs/CalibrationResults.h"

namespace {

const char* const kLabels[6] = {"RADF:", "A1:", "A2:", "A3:", "G1:", "G2:"};

void checkAnyLine(const std::string& line) {
    const auto values = ResultLineValues(line);
    FUZZ_CHECK(values.has_value() == (line.find("RADF:") != std::string::npos), line);
    if (!values) return;
    // Walking the line label by label must meet each value where the parser found it.
    size_t at = 0;
    bool missing = false;
    for (int i = 0; i < 6; ++i) {
        const std::string& v = (*values)[static_cast<size_t>(i)];
        FUZZ_CHECK(v.find(' ') == std::string::npos, "blank in a value: " + line);
        const std::string label = kLabels[i];
        if (missing || line.compare(at, label.size(), label) != 0) {
            missing = true;
            FUZZ_CHECK(v.empty(), "value without its label: " + line);
            continue;
        }
        FUZZ_CHECK(line.compare(at + label.size(), v.size(), v) == 0, line);
        at += label.size() + v.size();
        FUZZ_CHECK(at == line.size() || line[at] == ' ', line);
        at = at + 3 <= line.size() ? at + 3 : line.size();
        if (at == line.size()) missing = true;
    }
}

void checkRoundTrip(const uint8_t* data, size_t size) {
    uint8_t n[5] = {};
    for (size_t i = 0; i < 5 && i < size; ++i) n[i] = data[i];
    const std::string rest(reinterpret_cast<const char*>(data) + std::min<size_t>(size, 5),
                           size - std::min<size_t>(size, 5));
    std::string g1 = rest.substr(0, rest.find('\0'));
    std::string g2 = g1.size() < rest.size() ? rest.substr(g1.size() + 1) : std::string();
    for (std::string* g : {&g1, &g2}) g->erase(std::remove(g->begin(), g->end(), ' '), g->end());
    const int radf = n[0] * 256 + n[1];
    const std::string line = CalibrationResultLine(radf, n[2], n[3], n[4], g1, g2);
    const auto values = ResultLineValues(line);
    const std::array<std::string, 6> expected{std::to_string(radf),
                                              std::to_string(n[2]),
                                              std::to_string(n[3]),
                                              std::to_string(n[4]),
                                              g1,
                                              g2};
    FUZZ_CHECK(values && *values == expected, line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1)
        checkRoundTrip(data + 1, size - 1);
    else
        checkAnyLine(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    return 0;
}

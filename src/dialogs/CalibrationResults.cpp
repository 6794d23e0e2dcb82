#include "dialogs/CalibrationResults.h"

namespace {
const std::string kSep = "   ";
}

std::string CalibrationResultLine(int radf, int a1, int a2, int a3, const std::string& g1Label,
                                  const std::string& g2Label) {
    return "RADF:" + std::to_string(radf) + kSep + "A1:" + std::to_string(a1) + kSep +
           "A2:" + std::to_string(a2) + kSep + "A3:" + std::to_string(a3) + kSep + "G1:" + g1Label +
           kSep + "G2:" + g2Label + " ";
}

std::string CalibrationStatusLine(const std::string& radf, const std::string& a1,
                                  const std::string& a2, const std::string& a3,
                                  const std::string& g1, const std::string& g2) {
    return " RADF: " + radf + " AMP1: " + a1 + " AMP2: " + a2 + " LPF: " + a3 + " G1: " + g1 +
           " G2: " + g2;
}

std::optional<std::array<std::string, 6>> ResultLineValues(const std::string& line) {
    if (line.find("RADF:") == std::string::npos) return std::nullopt;
    static const char* const kLabels[6] = {"RADF:", "A1:", "A2:", "A3:", "G1:", "G2:"};
    std::array<std::string, 6> values;
    std::string rest = line;
    for (int i = 0; i < 6; ++i) {
        const std::string label = kLabels[i];
        if (rest.compare(0, label.size(), label) != 0) break;
        const std::string after = rest.substr(label.size());
        const size_t blank = after.find(' ');
        values[i] = after.substr(0, blank);
        rest = (blank == std::string::npos || blank + 3 > after.size()) ? std::string()
                                                                        : after.substr(blank + 3);
    }
    return values;
}

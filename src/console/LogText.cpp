#include "console/LogText.h"

#include <cstdio>
#include <ctime>

namespace {

std::tm localTime(int64_t msecsSinceEpoch) {
    const std::time_t seconds = static_cast<std::time_t>(msecsSinceEpoch / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    return local;
}

int millisecondsOf(int64_t msecsSinceEpoch) {
    const int ms = static_cast<int>(msecsSinceEpoch % 1000);
    return ms < 0 ? ms + 1000 : ms;
}

}  // namespace

std::string ClockStamp(int64_t msecsSinceEpoch) {
    const std::tm t = localTime(msecsSinceEpoch);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", t.tm_hour, t.tm_min, t.tm_sec,
                  millisecondsOf(msecsSinceEpoch));
    return text;
}

std::string IsoStamp(int64_t msecsSinceEpoch) {
    const std::tm t = localTime(msecsSinceEpoch);
    const int offsetMinutes = static_cast<int>(t.tm_gmtoff / 60);
    const int absOffset = (offsetMinutes < 0 ? -offsetMinutes : offsetMinutes) % (100 * 60);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d",
                  t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                  millisecondsOf(msecsSinceEpoch), offsetMinutes < 0 ? '-' : '+', absOffset / 60,
                  absOffset % 60);
    return text;
}

std::string FileLineText(const std::string& line) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(line.size() + 8);
    for (char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t') {
            out += "\\x";
            out += digits[byte >> 4];
            out += digits[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

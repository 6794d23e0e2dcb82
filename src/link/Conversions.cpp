#include "link/Conversions.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <limits>

namespace {

std::string quoted(const char* pattern, const std::string& text) {
    // pattern holds one %s
    std::string p(pattern);
    const auto at = p.find("%s");
    return p.substr(0, at) + text + p.substr(at + 2);
}

bool parseInt(const std::string& text, long long& value) {
    if (text.empty()) return false;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size()) return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isdigit(c)) return false;
        v = v * 10 + (c - '0');
        if (v > static_cast<long long>(std::numeric_limits<int32_t>::max()) + 1) return false;
    }
    v = negative ? -v : v;
    if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min())
        return false;
    value = v;
    return true;
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool equalsIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != b[i]) return false;
    return i == a.size() && b[i] == '\0';
}

}  // namespace

int32_t StrToInt(const std::string& text) {
    long long v = 0;
    if (!parseInt(text, v)) throw EConvertError(quoted("'%s' is not a valid integer value", text));
    return static_cast<int32_t>(v);
}

bool StrToBool(const std::string& text) {
    long long v = 0;
    if (parseInt(text, v)) return v != 0;
    if (equalsIgnoringCase(text, "TRUE")) return true;
    if (equalsIgnoringCase(text, "FALSE")) return false;
    throw EConvertError(quoted("'%s' is not a valid boolean value", text));
}

std::string BoolToStr(bool value) { return value ? "-1" : "0"; }

uint8_t HexPairToByte(const std::string& text) {
    const int high = text.size() >= 1 ? hexDigitValue(text[0]) : -1;
    const int low = text.size() >= 2 ? hexDigitValue(text[1]) : 0;
    if (high < 0 || low < 0)
        throw EConvertError(quoted("'%s' is not a valid hexadecimal value", text));
    // A lone digit reads as if padded with a leading "0".
    if (text.size() == 1) return static_cast<uint8_t>(high);
    return static_cast<uint8_t>(high * 16 + low);
}

std::string ByteCharacters(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (b >> 6));
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return text;
}

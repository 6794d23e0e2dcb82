// The conversions of typed and stored text, against plain readings of their
// rules: decimal integers within 32 bits, Booleans as numbers or TRUE/FALSE,
// two hexadecimal digits to a byte, hex text that reads back byte for byte,
// and module bytes shown as one character each.
#include "link/Conversions.h"

#include <cctype>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "link/TALVOR_comport.h"

namespace {

// Decimal with an optional sign, within the 32-bit range.
bool readsAsInteger(const std::string& t, int64_t& value) {
    size_t i = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
    if (i == t.size()) return false;
    int64_t v = 0;
    for (size_t k = i; k < t.size(); ++k) {
        if (t[k] < '0' || t[k] > '9') return false;
        v = v * 10 + (t[k] - '0');
        if (v > int64_t{INT32_MAX} + 1) return false;
    }
    value = t[0] == '-' ? -v : v;
    return value >= INT32_MIN && value <= INT32_MAX;
}

bool sameIgnoringCase(const std::string& t, const std::string& word) {
    if (t.size() != word.size()) return false;
    for (size_t i = 0; i < t.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(t[i])) != word[i]) return false;
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

template <typename Fn>
bool refused(Fn fn, const std::string& message) {
    try {
        fn();
    } catch (const EConvertError& e) {
        // A message is a C string: it ends at the text's first NUL byte.
        FUZZ_CHECK(std::string(e.what()) == message.c_str(), e.what());
        return true;
    }
    return false;
}

void checkInteger(const std::string& t) {
    int64_t expected = 0;
    const bool valid = readsAsInteger(t, expected);
    int32_t got = 0;
    const bool wasRefused =
        refused([&] { got = StrToInt(t); }, "'" + t + "' is not a valid integer value");
    FUZZ_CHECK(wasRefused == !valid, t);
    FUZZ_CHECK(!valid || got == expected, t + " read as " + std::to_string(got));
}

void checkBoolean(const std::string& t) {
    int64_t number = 0;
    const bool isNumber = readsAsInteger(t, number);
    const bool isTrue = sameIgnoringCase(t, "TRUE"), isFalse = sameIgnoringCase(t, "FALSE");
    bool got = false;
    const bool wasRefused =
        refused([&] { got = StrToBool(t); }, "'" + t + "' is not a valid boolean value");
    FUZZ_CHECK(wasRefused == !(isNumber || isTrue || isFalse), t);
    if (!wasRefused) FUZZ_CHECK(got == (isNumber ? number != 0 : isTrue), t);
    FUZZ_CHECK(StrToBool(BoolToStr(got)) == got, BoolToStr(got));
}

void checkHexPair(const std::string& t) {
    const int high = t.empty() ? -1 : hexDigit(t[0]);
    const int low = t.size() < 2 ? 0 : hexDigit(t[1]);
    uint8_t got = 0;
    const bool wasRefused =
        refused([&] { got = HexPairToByte(t); }, "'" + t + "' is not a valid hexadecimal value");
    FUZZ_CHECK(wasRefused == (high < 0 || low < 0), t);
    if (!wasRefused) FUZZ_CHECK(got == (t.size() == 1 ? high : high * 16 + low), t);
}

void checkHexText(const uint8_t* data, size_t size) {
    const std::string hex = HexText(data, static_cast<int>(size));
    FUZZ_CHECK(hex.size() == 3 * size, hex);
    for (size_t k = 0; k < size; ++k) {
        FUZZ_CHECK(hex[3 * k + 2] == ' ', hex);
        FUZZ_CHECK(HexPairToByte(hex.substr(3 * k, 2)) == data[k], hex);
        FUZZ_CHECK(!std::islower(static_cast<unsigned char>(hex[3 * k])) &&
                       !std::islower(static_cast<unsigned char>(hex[3 * k + 1])),
                   hex);
    }
    const std::string code = ReplyCode(hex);
    FUZZ_CHECK(size >= 4 ? code == hex.substr(9, 2) : code.empty(), hex);
}

// Valid UTF-8 holding one character per byte, each the byte's own code point.
void checkByteCharacters(const std::string& bytes) {
    const std::string text = ByteCharacters(bytes);
    size_t at = 0;
    for (unsigned char b : bytes) {
        FUZZ_CHECK(at < text.size(), "characters missing");
        const auto lead = static_cast<unsigned char>(text[at]);
        if (b < 0x80) {
            FUZZ_CHECK(lead == b, "byte changed");
            at += 1;
        } else {
            FUZZ_CHECK(at + 1 < text.size() && lead == (0xC0 | (b >> 6)) &&
                           static_cast<unsigned char>(text[at + 1]) == (0x80 | (b & 0x3F)),
                       "not the byte's character");
            at += 2;
        }
    }
    FUZZ_CHECK(at == text.size(), "characters added");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkInteger(text);
    checkBoolean(text);
    checkHexPair(text);
    checkHexText(data, size);
    checkByteCharacters(text);
    return 0;
}

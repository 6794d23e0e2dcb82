// Conversions of typed or stored text, with the runtime's conversion errors.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decimal text to integer; "'%s' is not a valid integer value" otherwise.
// An optional sign and decimal digits within the 32-bit range, nothing else.
int32_t StrToInt(const std::string& text);
// Any integer (non-zero is true) or TRUE/FALSE in any case;
// "'%s' is not a valid boolean value" otherwise.
bool StrToBool(const std::string& text);
// "-1" / "0", the form in which Booleans are written.
std::string BoolToStr(bool value);

// Two hexadecimal characters to one byte. The first two characters decide and
// further ones are ignored; a single digit counts as if padded with "0".
// An empty text or a non-hexadecimal character among the first two raises
// "'%s' is not a valid hexadecimal value".
uint8_t HexPairToByte(const std::string& text);

// Bytes from the module as text: one character per byte (the byte's Latin-1
// character), written in UTF-8 like the rest of the program's text.
std::string ByteCharacters(const std::string& bytes);

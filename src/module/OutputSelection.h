// What the Set Output Parameters command carries, computed from the output
// selection dialog's choices without any widget.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct OutputChoices {
    bool uart = false;
    int responseType = -1;  // 0 Simple ASCII, 1 Defined Protocol, -1 none
    bool cr = false;
    bool lf = false;
    bool wiegand = false;
    int facilitySource = -1;   // 0 "Fixed", K for "ByteK", -1 none
    std::string facilityCode;  // two hex digits, used with "Fixed"
    int id1 = -1;              // K - 1 for "ByteK", -1 none
    int id2 = -1;
    bool output0 = false;
    std::string highTime;  // decimal, in units of 30 ms
};

constexpr int kTagDataBytes = 28;
constexpr int kMaxHighTime = 255;

// Frame bytes 4 to 8: UART flags, Wiegand flags, facility, the two
// identification positions. Raises EConvertError for an empty or non-hex fixed
// facility code, and "No item is chosen in <list>." for a list the module would
// use that shows nothing.
std::array<uint8_t, 5> OutputSelectionBytes(const OutputChoices& c);

// Frame byte 9: 0 when Output0 is off, else the High/ON time; nullopt when it
// is above kMaxHighTime. Raises EConvertError when the text is no number or
// is negative.
std::optional<uint8_t> HighTimeByte(bool output0, const std::string& text);

// The whole frame (checksum left to SendFrame); returns its size.
int BuildOutputParametersFrame(uint8_t* frame, const std::array<uint8_t, 5>& selection,
                               uint8_t highTime);

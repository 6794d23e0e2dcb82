#include "module/OutputSelection.h"

#include <stdexcept>

#include "link/CommandTable.h"
#include "link/Conversions.h"

namespace {

// A list that shows nothing is refused rather than its -1 sent as 0xFF.
uint8_t selected(int index, const char* list) {
    if (index < 0) throw std::runtime_error(std::string("No item is chosen in ") + list + ".");
    return static_cast<uint8_t>(index);
}

}  // namespace

std::array<uint8_t, 5> OutputSelectionBytes(const OutputChoices& c) {
    uint8_t uartFlags = 0;
    if (c.uart) {
        uartFlags = 0x80;
        if (c.responseType == 1) uartFlags |= 0x01;
        // CR and LF count even while disabled under "Defined Protocol".
        if (c.cr) uartFlags |= 0x04;
        if (c.lf) uartFlags |= 0x02;
    }
    uint8_t wiegandFlags = 0;
    uint8_t facility = 0;
    if (c.wiegand) {
        const uint8_t source = selected(c.facilitySource, "Facility Code");
        wiegandFlags = source == 0 ? 0x81 : 0x80;
        facility = source == 0 ? HexPairToByte(c.facilityCode) : static_cast<uint8_t>(source - 1);
    }
    // The identification positions go out whatever the Wiegand box holds; when
    // it is off the module ignores them, so an empty list must not block.
    const auto position = [&c](int index, const char* list) {
        return c.wiegand ? selected(index, list) : static_cast<uint8_t>(index >= 0 ? index : 0);
    };
    return {uartFlags, wiegandFlags, facility, position(c.id1, "Identification Code (first byte)"),
            position(c.id2, "Identification Code (second byte)")};
}

std::optional<uint8_t> HighTimeByte(bool output0, const std::string& text) {
    if (!output0) return 0;
    const int value = StrToInt(text);
    if (value < 0) throw EConvertError("'" + text + "' is not a valid integer value");
    if (value > kMaxHighTime) return std::nullopt;
    return static_cast<uint8_t>(value);
}

int BuildOutputParametersFrame(uint8_t* frame, const std::array<uint8_t, 5>& s, uint8_t highTime) {
    BuildFrame(frame, Commands::SetOutputParameters, {s[0], s[1], s[2], s[3], s[4], highTime});
    return Commands::SetOutputParameters.frameSize;
}

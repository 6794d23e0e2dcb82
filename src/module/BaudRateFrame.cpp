#include "module/BaudRateFrame.h"

#include <iterator>

#include "link/CommandTable.h"
#include "link/Conversions.h"

uint8_t BaudCodeOf(int itemIndex, const std::string& shownText) {
    if (itemIndex < 0 || itemIndex >= static_cast<int>(std::size(kBaudRatesByCode)))
        throw EConvertError("'" + shownText + "' is not one of the listed baud rates");
    return static_cast<uint8_t>(itemIndex);
}

int BuildSetBaudFrame(uint8_t* frame, uint8_t baudCode) {
    BuildFrame(frame, Commands::SetBaud, {baudCode});
    return Commands::SetBaud.frameSize;
}

// The Set Baud command frame and the baud code it carries.
#pragma once

#include <cstdint>
#include <string>

// The baud code of a rate list's selection: its item index. A typed rate that
// is no item is refused ("'%s' is not one of the listed baud rates"): the code
// 0xFF could leave the module's stored rate invalid and the module unreachable.
uint8_t BaudCodeOf(int itemIndex, const std::string& shownText);

// Fills frame with Set Baud (the checksum is SendFrame's) and returns its size.
int BuildSetBaudFrame(uint8_t* frame, uint8_t baudCode);

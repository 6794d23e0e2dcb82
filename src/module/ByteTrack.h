// The Set Byte Track frame, computed from the dialog's texts without widgets.
#pragma once

#include <array>
#include <cstdint>
#include <string>

constexpr int kTrackFields = 4;

// Fills the frame (checksum left to SendFrame) and returns its size. The count
// is decimal text (1 to 4); all four byte fields are always sent. A field the
// count covers must hold hex digits (EConvertError otherwise); a field beyond
// it that is empty or not hex goes out as 0x00, since the module ignores it.
int BuildByteTrackFrame(uint8_t* frame, const std::string& countText,
                        const std::array<std::string, kTrackFields>& fields);

#include "module/ByteTrack.h"

#include "link/CommandTable.h"
#include "link/Conversions.h"

int BuildByteTrackFrame(uint8_t* frame, const std::string& countText,
                        const std::array<std::string, kTrackFields>& fields) {
    const int count = StrToInt(countText);
    uint8_t bytes[kTrackFields] = {};
    for (int i = 0; i < kTrackFields; ++i) {
        if (i < count) {
            bytes[i] = HexPairToByte(fields[i]);
            continue;
        }
        try {
            bytes[i] = HexPairToByte(fields[i]);
        } catch (const EConvertError&) {
            bytes[i] = 0;
        }
    }
    BuildFrame(frame, Commands::SetByteTrack,
               {static_cast<uint8_t>(count), bytes[0], bytes[1], bytes[2], bytes[3]});
    return Commands::SetByteTrack.frameSize;
}

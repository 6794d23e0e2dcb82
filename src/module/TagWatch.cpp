#include "module/TagWatch.h"

#include "link/CommandTable.h"

bool TagWatch::FrameReceived(const uint8_t* frame, size_t size, int64_t nowMs) {
    requests_.FrameReceived(frame, size);
    // FF, reserved, length, code, data, checksum.
    if (size < 5 || frame[0] != 0xFF || size_t{frame[2]} + 4 != size ||
        frame[3] != ReplyCodes::TagFrame)
        return false;
    table_.Record(DecodeTagData(requests_.ReadType(), requests_.BlockCount(), frame + 4, size - 5),
                  nowMs);
    return true;
}

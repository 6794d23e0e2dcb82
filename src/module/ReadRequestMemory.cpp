#include "module/ReadRequestMemory.h"

#include "link/CommandTable.h"

namespace {

// Header, reserved byte, length, code, length - 1 data bytes, checksum.
bool isWholeFrame(const uint8_t* frame, size_t size) {
    return size >= 5 && frame[0] == 0xFF && size_t{frame[2]} + 4 == size;
}

// Positions of the read type in the configuration block and of the block
// within the answer to Read Config.
constexpr size_t kConfigReadType = 24;
constexpr size_t kConfigBlockCount = 25;
constexpr size_t kConfigAt = 4;
constexpr uint8_t kConfigLength = 0x41;

}  // namespace

void ReadRequestMemory::FrameSent(const uint8_t* frame, size_t size) {
    if (!isWholeFrame(frame, size)) return;
    lastCommand_ = frame[3];
    const uint8_t* data = frame + 4;
    const size_t dataSize = size - 5;
    if (lastCommand_ == Commands::ReadTag.code || lastCommand_ == Commands::OneShotRead.code ||
        lastCommand_ == Commands::ReadTagWithPassword.code) {
        if (dataSize < 2) return;
        readType_ = data[0];
        blockCount_ = data[1];
    } else if (lastCommand_ == Commands::SetAutoMode.code) {
        if (dataSize < 3) return;
        readType_ = data[1];
        blockCount_ = data[2];
    }
}

void ReadRequestMemory::FrameReceived(const uint8_t* frame, size_t size) {
    if (!isWholeFrame(frame, size) || lastCommand_ != Commands::ReadConfig.code) return;
    if (frame[2] != kConfigLength) return;
    readType_ = frame[kConfigAt + kConfigReadType];
    blockCount_ = frame[kConfigAt + kConfigBlockCount];
    lastCommand_ = 0;
}

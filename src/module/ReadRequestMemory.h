// The read type and block count the module was last asked for, learnt from
// the frames that pass: Read Tag, One Shot Read, Read Tag w pass and Set Auto
// Mode carry them, and the answer to Read Config shows the stored ones. Tag
// frames carry neither, so they are read by what was asked last.
#pragma once

#include <cstddef>
#include <cstdint>

#include "module/TagDecoder.h"

class ReadRequestMemory {
public:
    // A whole command frame as sent, checksum included.
    void FrameSent(const uint8_t* frame, size_t size);
    // A whole response frame with a correct checksum.
    void FrameReceived(const uint8_t* frame, size_t size);

    uint8_t ReadType() const { return readType_; }
    uint8_t BlockCount() const { return blockCount_; }

private:
    uint8_t readType_ = kReadTypeUnknown;
    uint8_t blockCount_ = 1;
    uint8_t lastCommand_ = 0;
};

// Watches the frames between program and module: learns the read type asked
// for, and counts every tag frame (reply code 0x10) in the tag table, decoded
// by that read type.
#pragma once

#include <cstddef>
#include <cstdint>

#include "module/ReadRequestMemory.h"
#include "module/TagTable.h"

class TagWatch {
public:
    explicit TagWatch(size_t maxRows = TagTable::kDefaultMaxRows) : table_(maxRows) {}

    void FrameSent(const uint8_t* frame, size_t size) { requests_.FrameSent(frame, size); }
    // True when the frame was a tag frame and was counted.
    bool FrameReceived(const uint8_t* frame, size_t size, int64_t nowMs);

    TagTable& Table() { return table_; }
    const TagTable& Table() const { return table_; }
    const ReadRequestMemory& Requests() const { return requests_; }

private:
    ReadRequestMemory requests_;
    TagTable table_;
};

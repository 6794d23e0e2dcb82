// Writing a transponder and reading it back: the blocks are written one by
// one, Block0 last, then the tag is read with One Shot Read and compared, so a write the
// module acknowledged but the tag did not take is caught. A tag that cannot be
// read back is never called verified.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/Block0.h"
#include "module/TagProgramming.h"
#include "module/Em4100.h"

struct TagWriteJob {
    std::vector<uint32_t> blocks;  // block 0, then blocks 1 to N (written 1 to N, then 0)
    // The texts the log shows for each block (the fields as typed).
    std::vector<std::array<std::string, 4>> blockTexts;
    std::optional<FourBytes> password;  // write with the transponder's password
    std::array<std::string, 4> passwordTexts;
    bool protectionOn = false;  // Block0 turns password protection on
    // Set: checked by an EM4100 decoded read. Otherwise by a Byte Track read
    // of blocks 1 to N in this read type.
    std::optional<Em4100Id> em4100;
    uint8_t byteTrackReadType = 1;
};

// The job for an EM4100 ID on a Q5 or T5557: Block0 from the four choices
// (Manchester RF/64, protection off, max block 2), blocks 1 and 2 the stream.
TagWriteJob Em4100WriteJob(const Em4100Id& id, TagType type);

struct TagWriteOutcome {
    enum Kind { Verified, Differs, NotReadBack, CannotVerify, WriteFailed };
    Kind kind = WriteFailed;
    std::string text;                        // for the log and a status line
    std::string recordText;                  // for a series record
    std::vector<std::string> blocksWritten;  // "1:FF8E85B9", in the order written
};

// Writes the job and checks it; the outcome is also logged ("Verify > ...").
TagWriteOutcome WriteAndVerify(const TagWriteJob& job);

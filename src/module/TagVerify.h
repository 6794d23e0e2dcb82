// A tag read back against what was written to it: "" when they agree, else
// exactly what differs, in words for the log and the status line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "module/TagDecoder.h"

std::string Em4100Difference(const Em4100Id& expected, const DecodedTag& read);

// expected: the words of blocks 1 to N, against the data of a Byte Track read.
std::string BlocksDifference(const std::vector<uint32_t>& expected,
                             const std::vector<uint8_t>& data);

// "FF8E85B9": a block as written in the record and the log.
std::string BlockWordText(uint32_t word);

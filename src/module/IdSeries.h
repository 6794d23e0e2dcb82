// The EM4100 IDs of a programming series: a start and a count, or a list read
// from a text or CSV file. Refusals say what is wrong (and on which line)
// before a single tag is written.
#pragma once

#include <string>
#include <vector>

#include "module/Em4100.h"

struct IdSeries {
    std::vector<Em4100Id> ids;
    std::string error;  // empty when the series is good
};

// count IDs from start (as ParseEm4100Id reads it), the card number going up
// by one each time within the start's facility. The count is 1 to kMaxCount.
IdSeries SeriesFromStart(const std::string& startText, const std::string& countText);

// One ID per line, in the first field of the line (10 hex digits), or in the
// first two fields (facility, card). Blank lines and lines starting with '#'
// are skipped. A line that holds no ID, or an ID already listed, refuses the
// whole list with its line number.
IdSeries SeriesFromText(const std::string& text);

constexpr int kMaxSeriesCount = 65536;

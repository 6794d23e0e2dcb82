// The tags seen, one row per distinct tag: its decoded forms, the read type it
// was last read with, when it was first and last seen, and how often. A tag
// read for an hour in auto mode is one row with a large count.
//
// Rows keep the order in which tags first appeared. The table holds at most
// its maximum of rows; a new tag beyond it pushes out the oldest row, so a
// stream of ever new IDs cannot grow the program without bound.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "module/TagDecoder.h"

struct TagRow {
    DecodedTag tag;  // as last seen
    int64_t firstSeenMs = 0;
    int64_t lastSeenMs = 0;
    uint64_t count = 0;
};

class TagTable {
public:
    static constexpr size_t kDefaultMaxRows = 10000;
    // Milliseconds since the epoch as shown text.
    using TimeText = std::function<std::string(int64_t msecsSinceEpoch)>;

    explicit TagTable(size_t maxRows = kDefaultMaxRows) : maxRows_(maxRows ? maxRows : 1) {}

    void Record(const DecodedTag& tag, int64_t nowMs);
    void Clear();

    size_t Size() const { return rows_.size(); }
    const TagRow& Row(size_t i) const { return rows_[i]; }
    // Every row ever added has a number, counting up from 0; rows that left
    // (pushed out or cleared) keep theirs, so a view can tell what changed.
    uint64_t FirstRowNumber() const { return firstNumber_; }
    uint64_t EndRowNumber() const { return firstNumber_ + rows_.size(); }

    // The count comes early, where a narrow window still shows it.
    enum Column { Tag, Decimal, FacilityCard, Ascii, Count, ReadType, FirstSeen, LastSeen, Note };
    static const std::vector<std::string>& ColumnNames();
    std::vector<std::string> RowTexts(size_t i, const TimeText& time) const;
    // A header line, then one line per row; fields quoted where needed.
    std::string Csv(const TimeText& time) const;

private:
    static std::string keyOf(const DecodedTag& tag);

    size_t maxRows_;
    std::deque<TagRow> rows_;
    std::unordered_map<std::string, uint64_t> numbers_;  // key -> row number
    uint64_t firstNumber_ = 0;
};

#include "module/TagTable.h"

#include "module/Csv.h"

std::string TagTable::keyOf(const DecodedTag& tag) {
    // An EM4100 ID is one tag whether it came decoded or as a raw stream.
    switch (tag.form) {
        case TagForm::Em4100:
            return "E" + std::string(tag.id.begin(), tag.id.end());
        case TagForm::ByteTrack:
            return "B" + std::string(tag.data.begin(), tag.data.end());
        case TagForm::HexOnly:
            break;
    }
    return "H" + std::string(1, static_cast<char>(tag.readType)) +
           std::string(tag.data.begin(), tag.data.end());
}

void TagTable::Record(const DecodedTag& tag, int64_t nowMs) {
    const std::string key = keyOf(tag);
    const auto found = numbers_.find(key);
    if (found != numbers_.end()) {
        TagRow& row = rows_[static_cast<size_t>(found->second - firstNumber_)];
        if (row.tag.readType != tag.readType) row.tag = tag;
        row.lastSeenMs = nowMs;
        ++row.count;
        return;
    }
    if (rows_.size() == maxRows_) {
        numbers_.erase(keyOf(rows_.front().tag));
        rows_.pop_front();
        ++firstNumber_;
    }
    numbers_.emplace(key, EndRowNumber());
    rows_.push_back({tag, nowMs, nowMs, 1});
}

void TagTable::Clear() {
    firstNumber_ = EndRowNumber();
    rows_.clear();
    numbers_.clear();
}

const std::vector<std::string>& TagTable::ColumnNames() {
    static const std::vector<std::string> names{"Tag",        "Decimal",   "Facility,Card",
                                                "ASCII",      "Count",     "Read Type",
                                                "First Seen", "Last Seen", "Note"};
    return names;
}

std::vector<std::string> TagTable::RowTexts(size_t i, const TimeText& time) const {
    const TagRow& row = rows_[i];
    const DecodedTag& tag = row.tag;
    std::vector<std::string> texts(ColumnNames().size());
    switch (tag.form) {
        case TagForm::Em4100:
            texts[Tag] = Em4100Hex(tag.id);
            texts[Decimal] = Em4100Decimal(tag.id);
            texts[FacilityCard] = Em4100FacilityCard(tag.id);
            break;
        case TagForm::ByteTrack:
            texts[Tag] = BlocksHex(tag.data);
            texts[Ascii] = BytesAscii(tag.data);
            break;
        case TagForm::HexOnly:
            texts[Tag] = SpacedHex(tag.data);
            texts[Note] = tag.note;
            break;
    }
    texts[ReadType] = ReadTypeName(tag.readType);
    texts[FirstSeen] = time(row.firstSeenMs);
    texts[LastSeen] = time(row.lastSeenMs);
    texts[Count] = std::to_string(row.count);
    return texts;
}

std::string TagTable::Csv(const TimeText& time) const {
    std::string out = CsvLine(ColumnNames());
    for (size_t i = 0; i < rows_.size(); ++i) out += CsvLine(RowTexts(i, time));
    return out;
}

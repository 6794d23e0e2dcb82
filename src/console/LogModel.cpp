#include "console/LogModel.h"

#include <algorithm>

LogModel::LogModel(size_t maxLines) : maxLines_(std::max<size_t>(maxLines, 1)) {}

void LogModel::append(int64_t msecsSinceEpoch, std::string text) {
    entries_.push_back(Entry{msecsSinceEpoch, std::move(text), 0});
    ++unshown_;
    if (entries_.size() > maxLines_) dropOldest();
}

void LogModel::setMaxLines(size_t n) {
    maxLines_ = std::max<size_t>(n, 1);
    while (entries_.size() > maxLines_) dropOldest();
}

void LogModel::clear() {
    entries_.clear();
    unshown_ = 0;
    leftViewLines_ = 0;
}

int LogModel::takeLeftViewLines() {
    const int n = leftViewLines_;
    leftViewLines_ = 0;
    return n;
}

void LogModel::dropOldest() {
    // The oldest entry is unshown only when every entry is.
    if (unshown_ == entries_.size())
        --unshown_;
    else
        leftViewLines_ += entries_.front().viewLines;
    entries_.pop_front();
}

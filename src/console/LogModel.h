// The activity log's lines as they were appended, each with its arrival time,
// at most maxLines() of them (the oldest leave first). It also keeps the
// account of what the window shows: the newest lines may not be shown yet,
// and lines that left while shown still have to be taken out of the window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

class LogModel {
public:
    struct Entry {
        int64_t msecsSinceEpoch = 0;
        std::string text;
        // Lines of the window this entry fills (a text holding line breaks
        // fills several); 0 until shown.
        int viewLines = 0;
    };

    static constexpr size_t kDefaultMaxLines = 100000;
    static constexpr size_t kLargestMaxLines = 10000000;

    explicit LogModel(size_t maxLines = kDefaultMaxLines);

    void append(int64_t msecsSinceEpoch, std::string text);
    // Keeps the newest n lines (n >= 1).
    void setMaxLines(size_t n);
    size_t maxLines() const { return maxLines_; }
    void clear();

    size_t size() const { return entries_.size(); }
    const Entry& at(size_t i) const { return entries_[i]; }
    Entry& at(size_t i) { return entries_[i]; }

    // The newest unshown() entries are not in the window yet.
    size_t unshown() const { return unshown_; }
    // Window lines of entries that left the log while shown, to be removed
    // from the top of the window; reading resets the count.
    int takeLeftViewLines();
    // The window has taken in every entry.
    void markAllShown() { unshown_ = 0; }

private:
    void dropOldest();

    std::deque<Entry> entries_;
    size_t maxLines_;
    size_t unshown_ = 0;
    int leftViewLines_ = 0;
};

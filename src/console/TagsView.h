// The Tags tab beside the activity log: one row per distinct tag seen, with
// its decoded forms, the read type, first and last seen and a count; Clear and
// Export CSV. It watches the frames that pass (see Tcom_form's frame watchers),
// so every tag frame counts, whoever asked for it. The log keeps its lines.
//
// Frames are counted at once; the table on screen follows at most every
// kRefreshMs, so a burst of frames costs one repaint, and an idle program
// runs no timer. While the tab is hidden only the row count on it follows:
// sizing the columns to thousands of rows is the costly part, and is done
// once the table is shown.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "module/TagWatch.h"

class QPushButton;
class QTableView;
class QTimer;
class TagTableModel;

class TagsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 200;

    explicit TagsView(QWidget* parent = nullptr);

    QTableView* tbl_tags;
    QPushButton* btn_tags_clear;
    QPushButton* btn_tags_export;

    void FrameSent(const uint8_t* frame, int size);
    void FrameReceived(const uint8_t* frame, int size);

    // The table on screen follows the tags seen now (the timer does it otherwise).
    void Refresh();
    void btn_tags_clearClick();
    // Asks for a file, then writes the table to it.
    void btn_tags_exportClick();
    // Writes the table as CSV (UTF-8, times in ISO 8601). "" or the system's reason.
    std::string ExportCsv(const std::string& path) const;

    const TagTable& Table() const { return watch_.Table(); }
    // The read type and block count the next tag frame is read by.
    const ReadRequestMemory& Requests() const { return watch_.Requests(); }
    // Milliseconds since the epoch; tests fix it.
    void SetClock(std::function<int64_t()> clock) { clock_ = std::move(clock); }
    // Runs when the number of rows on screen changed.
    std::function<void(int rows)> OnRowCountChanged;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void scheduleRefresh();
    void refreshOrCount();
    void reportRowCount(int rows);

    TagWatch watch_;
    TagTableModel* model_;
    QTimer* refreshTimer_;
    bool behind_ = false;  // the hidden table has not taken in the latest rows
    int reportedRows_ = 0;
    std::function<int64_t()> clock_;
};

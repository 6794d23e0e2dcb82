// The activity log's window: a plain text view that takes appended lines in
// batches, keeps at most the log's maximum of lines, can show each line's
// arrival time, finds text, saves and records the log.
//
// Lines wait at most kHoldMs before they reach the view, then go in as one
// batch (one change of the document, one notice to assistive tools). Whatever
// reads the log (toPlainText, the accessibility text, Find, Save) first takes
// in the waiting lines; clear() also discards them. The view follows the end
// while it is at the end, and otherwise stays where the operator scrolled,
// with a button back to the end.
//
// The operator may type into the view; typed text is not part of the log: it
// has no time, is not recorded, and is not saved.
#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <cstdint>
#include <functional>
#include <string>

#include "console/LogModel.h"
#include "console/LogRecorder.h"

class QTimer;
class QToolButton;

class LogView : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kHoldMs = 30;

    explicit LogView(QWidget* parent = nullptr);
    ~LogView() override;

    // One log line (UTF-8), stamped with its arrival time.
    void AppendLine(const std::string& line);
    // Brings every waiting line into the view.
    void TakeInPending();
    // The shown text, waiting lines included.
    QString toPlainText();
    // Empties the log, waiting lines included.
    void clear();

    const LogModel& Model() const { return model_; }
    size_t MaxLines() const { return model_.maxLines(); }
    void SetMaxLines(size_t n);

    // A "HH:MM:SS.mmm " prefix before every log line, in the view only.
    bool TimeStampsShown() const { return stampsShown_; }
    void ShowTimeStamps(bool shown);

    // Selects the next (or previous) occurrence after (before) the cursor,
    // ignoring case; false when there is none.
    bool Find(const QString& text, bool backward);

    // Writes the log's lines now held (UTF-8, platform line ends), optionally
    // each after its "HH:MM:SS.mmm " time. Returns "" or the system's reason.
    std::string SaveTo(const std::string& path, bool withTimeStamps);

    // Appends every line from now on to path with its ISO 8601 time.
    // Returns "" or the system's reason (recording stays off then).
    std::string StartRecording(const std::string& path);
    void StopRecording();
    bool Recording() const { return recorder_.active(); }
    const std::string& RecordPath() const { return recorder_.path(); }
    // Runs on the window's thread after a write failure ended the recording.
    std::function<void(const std::string& path, const std::string& reason)> OnRecordingFailed;

    // The clock of arrival times (milliseconds since the epoch); tests fix it.
    void SetClock(std::function<int64_t()> clock) { clock_ = std::move(clock); }

    bool AtEnd() const;
    void ScrollToEnd();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QString shownLine(const LogModel::Entry& entry) const;
    void rebuildView();
    void removeTopLines(int lines);
    void updateFollowButton();

    LogModel model_;
    LogRecorder recorder_;
    std::function<int64_t()> clock_;
    QTimer* holdTimer_;
    QElapsedTimer oldestWaiting_;
    QToolButton* followButton_;
    bool stampsShown_ = false;
    bool takingIn_ = false;
};

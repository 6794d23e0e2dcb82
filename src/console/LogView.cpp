#include "console/LogView.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDateTime>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <cerrno>
#include <cstring>

#include "console/LogAccessible.h"
#include "console/LogText.h"

namespace {

// Lines of the view a text fills, counting breaks as the text document does
// (CR LF is one break, a lone CR or LF one each).
int viewLinesOf(const QString& text) {
    int lines = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ++i;
        if (c == u'\r' || c == u'\n') ++lines;
    }
    return lines;
}

// Joins lines as one batch. A paragraph separator, unlike LF, never merges
// with a CR ending the previous line, so a batch fills the same lines as
// appending one line at a time.
constexpr QChar kBatchSeparator = QChar::ParagraphSeparator;

std::string writeWhole(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return std::strerror(errno);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            const int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            return std::strerror(error);
        }
    }
    if (::close(fd) != 0) return std::strerror(errno);
    return {};
}

}  // namespace

LogView::LogView(QWidget* parent)
    : QPlainTextEdit(parent),
      clock_([] { return QDateTime::currentMSecsSinceEpoch(); }),
      holdTimer_(new QTimer(this)),
      followButton_(new QToolButton(this)) {
    InstallLogAccessibility();
    // An undo history would keep every line that ever passed through.
    document()->setUndoRedoEnabled(false);
    holdTimer_->setSingleShot(true);
    holdTimer_->setInterval(kHoldMs);
    connect(holdTimer_, &QTimer::timeout, this, [this] { TakeInPending(); });

    followButton_->setObjectName("LogFollowButton");
    followButton_->setText("Go to End");
    followButton_->setToolTip("Show the newest lines and follow them");
    followButton_->hide();
    connect(followButton_, &QToolButton::clicked, this, [this] { ScrollToEnd(); });
    // The view sets both bars' steps on every batch, and Qt repaints a bar for
    // that even when nothing changed. A bar that fills its own background is
    // repainted alone, not with every widget behind it up to the window.
    verticalScrollBar()->setAutoFillBackground(true);
    horizontalScrollBar()->setAutoFillBackground(true);
    QScrollBar* bar = verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this] { updateFollowButton(); });
    connect(bar, &QScrollBar::rangeChanged, this, [this] { updateFollowButton(); });
}

LogView::~LogView() { recorder_.stop(); }

void LogView::AppendLine(const std::string& line) {
    const int64_t now = clock_();
    if (recorder_.active()) recorder_.record(now, line);
    model_.append(now, line);
    if (!holdTimer_->isActive()) {
        oldestWaiting_.start();
        holdTimer_->start();
    } else if (oldestWaiting_.elapsed() >= kHoldMs) {
        // A busy window thread may not reach the timer in time.
        TakeInPending();
    }
}

QString LogView::shownLine(const LogModel::Entry& entry) const {
    QString line = QString::fromUtf8(entry.text.data(), static_cast<qsizetype>(entry.text.size()));
    if (stampsShown_) line.prepend(QString::fromLatin1(ClockStamp(entry.msecsSinceEpoch) + " "));
    return line;
}

void LogView::TakeInPending() {
    if (takingIn_) return;
    holdTimer_->stop();
    const int leaving = model_.takeLeftViewLines();
    if (model_.unshown() == 0 && leaving == 0) return;
    takingIn_ = true;
    QScrollBar* bar = verticalScrollBar();
    const bool follow = AtEnd();
    const int position = bar->value();

    // Removing and adding are two changes, so that assistive tools are told
    // of the lines that came, not of the whole text.
    removeTopLines(leaving);
    QString batch;
    bool empty = document()->isEmpty();
    for (size_t i = model_.size() - model_.unshown(); i < model_.size(); ++i) {
        LogModel::Entry& entry = model_.at(i);
        const QString line = shownLine(entry);
        // As when appending one by one: an empty line on an empty log shows nothing.
        if (empty && line.isEmpty()) {
            entry.viewLines = 0;
            continue;
        }
        if (!empty) batch += kBatchSeparator;
        batch += line;
        empty = false;
        entry.viewLines = viewLinesOf(line);
    }
    model_.markAllShown();
    if (!batch.isEmpty()) {
        QTextCursor end(document());
        end.movePosition(QTextCursor::End);
        end.insertText(batch);
    }
    if (follow)
        bar->setValue(bar->maximum());
    else
        bar->setValue(std::max(0, position - leaving));
    takingIn_ = false;
    updateFollowButton();
}

void LogView::removeTopLines(int lines) {
    if (lines <= 0) return;
    QTextDocument* doc = document();
    QTextCursor cursor(doc);
    if (lines >= doc->blockCount()) {
        cursor.select(QTextCursor::Document);
    } else {
        cursor.setPosition(doc->findBlockByNumber(lines).position(), QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
}

QString LogView::toPlainText() {
    TakeInPending();
    return QPlainTextEdit::toPlainText();
}

void LogView::clear() {
    holdTimer_->stop();
    model_.clear();
    QPlainTextEdit::clear();
    document()->setUndoRedoEnabled(false);
}

void LogView::SetMaxLines(size_t n) {
    model_.setMaxLines(n);
    TakeInPending();
}

void LogView::ShowTimeStamps(bool shown) {
    if (shown == stampsShown_) return;
    stampsShown_ = shown;
    rebuildView();
}

void LogView::rebuildView() {
    holdTimer_->stop();
    model_.takeLeftViewLines();
    QString all;
    bool empty = true;
    for (size_t i = 0; i < model_.size(); ++i) {
        LogModel::Entry& entry = model_.at(i);
        const QString line = shownLine(entry);
        if (empty && line.isEmpty()) {
            entry.viewLines = 0;
            continue;
        }
        if (!empty) all += kBatchSeparator;
        all += line;
        empty = false;
        entry.viewLines = viewLinesOf(line);
    }
    model_.markAllShown();
    setPlainText(all);
    document()->setUndoRedoEnabled(false);
    ScrollToEnd();
}

bool LogView::Find(const QString& text, bool backward) {
    TakeInPending();
    if (text.isEmpty()) return false;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (find(text, flags)) return true;
    // Go round once from the other end.
    const QTextCursor keep = textCursor();
    QTextCursor from(document());
    from.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    setTextCursor(from);
    if (find(text, flags)) return true;
    setTextCursor(keep);
    return false;
}

std::string LogView::SaveTo(const std::string& path, bool withTimeStamps) {
    TakeInPending();
    std::string bytes;
    for (size_t i = 0; i < model_.size(); ++i) {
        const LogModel::Entry& entry = model_.at(i);
        if (withTimeStamps) bytes += IsoStamp(entry.msecsSinceEpoch) + " ";
        bytes += FileLineText(entry.text);
        bytes += kLogFileLineEnd;
    }
    return writeWhole(path, bytes);
}

std::string LogView::StartRecording(const std::string& path) {
    return recorder_.start(path, [this, path](const std::string& reason) {
        // On the writer thread: the window's thread takes it from here.
        QMetaObject::invokeMethod(
            this,
            [this, path, reason] {
                recorder_.stop();
                if (OnRecordingFailed) OnRecordingFailed(path, reason);
            },
            Qt::QueuedConnection);
    });
}

void LogView::StopRecording() { recorder_.stop(); }

bool LogView::AtEnd() const {
    const QScrollBar* bar = verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void LogView::ScrollToEnd() {
    TakeInPending();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void LogView::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    updateFollowButton();
}

void LogView::updateFollowButton() {
    // Mid-batch the range has grown before the view follows it: showing the
    // button for that moment repainted the whole window on every batch.
    if (takingIn_) return;
    const bool show = !AtEnd();
    if (show) {
        followButton_->adjustSize();
        const QRect area = viewport()->geometry();
        followButton_->move(area.right() - followButton_->width() - 4,
                            area.bottom() - followButton_->height() - 4);
        followButton_->raise();
    }
    followButton_->setVisible(show);
}

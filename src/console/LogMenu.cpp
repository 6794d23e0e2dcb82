#include "console/LogMenu.h"

#include <QAction>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>

#include "console/HandlerGuard.h"
#include "console/LogView.h"
#include "console/MessageBoxes.h"
#include "link/Conversions.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLocation.h"

namespace {

const char* const kSection = "Log";

std::string refusedMaximum(const std::string& text) {
    return "'" + text + "' is refused: the maximum number of lines is a whole number from 1 to " +
           std::to_string(LogModel::kLargestMaxLines);
}

// A whole number within the allowed range, or nothing.
std::optional<size_t> maximumFrom(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    const size_t n = std::stoul(text);
    if (n < 1 || n > LogModel::kLargestMaxLines) return std::nullopt;
    return n;
}

}  // namespace

LogMenu::LogMenu(LogView* view) : QObject(view), view_(view), menu_(new QMenu(view)) {
    setObjectName("LogMenu");
    menu_->setObjectName("Memo1Menu");
    auto action = [this](const char* name, const QString& caption, auto handler) {
        QAction* a = menu_->addAction(caption);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, GuardedSlot([this, handler] { (this->*handler)(); }));
        return a;
    };
    Copy = menu_->addAction("Copy");
    Copy->setObjectName("LogCopy");
    Copy->setShortcut(QKeySequence::Copy);
    connect(Copy, &QAction::triggered, view_, &QPlainTextEdit::copy);
    SelectAll = menu_->addAction("Select All");
    SelectAll->setObjectName("LogSelectAll");
    SelectAll->setShortcut(QKeySequence::SelectAll);
    connect(SelectAll, &QAction::triggered, view_, [this] {
        view_->TakeInPending();
        view_->selectAll();
    });
    menu_->addSeparator();
    FindText = action("LogFind", "Find...", &LogMenu::FindTextClick);
    FindText->setShortcut(QKeySequence::Find);
    FindNext = action("LogFindNext", "Find Next", &LogMenu::FindNextClick);
    FindNext->setShortcut(QKeySequence::FindNext);
    FindPrevious = action("LogFindPrevious", "Find Previous", &LogMenu::FindPreviousClick);
    FindPrevious->setShortcut(QKeySequence::FindPrevious);
    menu_->addSeparator();
    ShowTimeStamps = action("LogShowTimeStamps", "Show Time Stamps", &LogMenu::ShowTimeStampsClick);
    ShowTimeStamps->setCheckable(true);
    MaximumLines = action("LogMaximumLines", "Maximum Lines...", &LogMenu::MaximumLinesClick);
    menu_->addSeparator();
    SaveLogAs = action("LogSaveAs", "Save Log As...", &LogMenu::SaveLogAsClick);
    RecordToFile = action("LogRecordToFile", "Record to File...", &LogMenu::RecordToFileClick);
    RecordAtStart = action("LogRecordAtStart", "Record at Start", &LogMenu::RecordAtStartClick);
    RecordAtStart->setCheckable(true);

    // The keys work while the log has the focus, without opening the menu.
    for (QAction* a : {FindText, FindNext, FindPrevious}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        view_->addAction(a);
    }
    Copy->setShortcutContext(Qt::WidgetShortcut);  // the view handles these keys itself
    SelectAll->setShortcutContext(Qt::WidgetShortcut);

    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        updateActions();
        menu_->popup(view_->viewport()->mapToGlobal(at));
    });
    view_->OnRecordingFailed = [this](const std::string& path, const std::string& reason) {
        recordingFailed(path, reason);
    };

    AskText = [this](const QString& title, const QString& label,
                     const QString& value) -> std::optional<QString> {
        bool ok = false;
        const QString text =
            QInputDialog::getText(view_, title, label, QLineEdit::Normal, value, &ok);
        if (!ok) return std::nullopt;
        return text;
    };
    AskSavePath = [this](const QString& title,
                         const QString& suggestion) -> std::optional<QString> {
        const QString path = QFileDialog::getSaveFileName(
            view_, title, suggestion, "Text files (*.txt *.log);;All files (*)", nullptr,
            QFileDialog::DontConfirmOverwrite);
        if (path.isEmpty()) return std::nullopt;
        return path;
    };
}

std::string LogMenu::DefaultFolder() {
    // The per-user settings folder may not exist before the first choice is written.
    CreateSettingsFolder();
    return SettingsFolder();
}

void LogMenu::LoadSettings() {
    Guarded([this] {
        TIniFile ini(SettingsPath());
        const std::string maxText =
            ini.ReadString(kSection, "MaxLines", std::to_string(LogModel::kDefaultMaxLines));
        StrToInt(maxText);  // not a number: the conversion's message, and stop here
        if (const auto n = maximumFrom(maxText))
            view_->SetMaxLines(*n);
        else
            Messages().error(refusedMaximum(maxText));
        view_->ShowTimeStamps(StrToBool(ini.ReadString(kSection, "ShowTimeStamps", "0")));
        const std::string file = ini.ReadString(kSection, "RecordFile", "");
        const bool wasRecording = StrToBool(ini.ReadString(kSection, "Recording", "0"));
        RecordAtStart->setChecked(StrToBool(ini.ReadString(kSection, "RecordAtStart", "0")));
        if (RecordAtStart->isChecked() && wasRecording && !file.empty()) StartRecording(file);
    });
    updateActions();
}

void LogMenu::write(const char* key, const std::string& value) {
    TIniFile(SettingsPath()).WriteString(kSection, key, value);
}

void LogMenu::updateActions() {
    Copy->setEnabled(view_->textCursor().hasSelection());
    FindNext->setEnabled(!lastFind_.isEmpty());
    FindPrevious->setEnabled(!lastFind_.isEmpty());
    ShowTimeStamps->setChecked(view_->TimeStampsShown());
    RecordToFile->setText(view_->Recording() ? "Stop Recording" : "Record to File...");
}

void LogMenu::find(bool backward) {
    if (lastFind_.isEmpty()) return FindTextClick();
    if (!view_->Find(lastFind_, backward))
        Messages().information("Cannot find \"" + lastFind_.toStdString() + "\"", "Find");
}

void LogMenu::FindTextClick() {
    const auto text = AskText("Find", "Find in the log (case is ignored):", lastFind_);
    if (!text || text->isEmpty()) return;
    lastFind_ = *text;
    find(false);
}

void LogMenu::FindNextClick() { find(false); }
void LogMenu::FindPreviousClick() { find(true); }

void LogMenu::ShowTimeStampsClick() {
    const bool shown = !view_->TimeStampsShown();
    view_->ShowTimeStamps(shown);
    updateActions();
    write("ShowTimeStamps", BoolToStr(shown));
}

bool LogMenu::ApplyMaximumLines(const std::string& text) {
    const auto n = maximumFrom(text);
    if (!n) {
        Messages().error(refusedMaximum(text));
        return false;
    }
    view_->SetMaxLines(*n);
    write("MaxLines", std::to_string(*n));
    return true;
}

void LogMenu::MaximumLinesClick() {
    const auto text =
        AskText("Maximum Lines",
                "Lines the log keeps (1 to 10000000):", QString::number(view_->MaxLines()));
    if (text) ApplyMaximumLines(text->trimmed().toStdString());
}

void LogMenu::SaveLogAsClick() {
    const auto path =
        AskSavePath("Save Log As", QString::fromStdString(DefaultFolder() + "talvor-log.txt"));
    if (!path) return;
    const bool stamps = Messages().question("Save each line with its time stamp?", "Save Log As");
    const std::string file = path->toStdString();
    const std::string failure = view_->SaveTo(file, stamps);
    if (!failure.empty()) Messages().error("Cannot save the log to " + file + ": " + failure);
}

bool LogMenu::StartRecording(const std::string& path) {
    const std::string failure = view_->StartRecording(path);
    updateActions();
    if (!failure.empty()) {
        Messages().error("Cannot record the log to " + path + ": " + failure);
        return false;
    }
    return true;
}

void LogMenu::StopRecording() {
    view_->StopRecording();
    updateActions();
    write("Recording", BoolToStr(false));
}

void LogMenu::RecordToFileClick() {
    if (view_->Recording()) return StopRecording();
    const std::string stored = TIniFile(SettingsPath()).ReadString(kSection, "RecordFile", "");
    const auto path = AskSavePath(
        "Record to File",
        QString::fromStdString(stored.empty() ? DefaultFolder() + "talvor-record.txt" : stored));
    if (!path || !StartRecording(path->toStdString())) return;
    write("RecordFile", path->toStdString());
    write("Recording", BoolToStr(true));
}

void LogMenu::RecordAtStartClick() {
    write("RecordAtStart", BoolToStr(RecordAtStart->isChecked()));
}

void LogMenu::recordingFailed(const std::string& path, const std::string& reason) {
    const std::string text = "Recording the log to " + path + " stopped: " + reason;
    updateActions();
    view_->AppendLine(text);
    Messages().error(text);
    Guarded([this] { write("Recording", BoolToStr(false)); });
}

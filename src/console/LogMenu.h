// The activity log's context menu and its settings, section [Log] of the
// settings file:
//   MaxLines        the most lines the window keeps (1 to 10000000, default 100000)
//   ShowTimeStamps  "-1" when each line shows its arrival time (default "0")
//   RecordFile      the file chosen with Record to File...
//   Recording       "-1" while recording was on
//   RecordAtStart   "-1": a recording that was on resumes at the next start
// Each key is written when the operator changes it from the menu.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

class LogView;
class QAction;
class QMenu;

class LogMenu : public QObject {
    Q_OBJECT
public:
    explicit LogMenu(LogView* view);

    // Reads [Log]. A value that is not a number stops the reading there, with
    // the conversion's message, as for every section.
    void LoadSettings();

    QMenu* Menu() const { return menu_; }
    QAction* Copy;
    QAction* SelectAll;
    QAction* FindText;
    QAction* FindNext;
    QAction* FindPrevious;
    QAction* ShowTimeStamps;
    QAction* MaximumLines;
    QAction* SaveLogAs;
    QAction* RecordToFile;  // "Stop Recording" while recording
    QAction* RecordAtStart;

    // What the handlers ask the operator; tests answer instead.
    std::function<std::optional<QString>(const QString& title, const QString& label,
                                         const QString& value)>
        AskText;
    std::function<std::optional<QString>(const QString& title, const QString& suggestion)>
        AskSavePath;

    // Handlers
    void FindTextClick();
    void FindNextClick();
    void FindPreviousClick();
    void ShowTimeStampsClick();
    void MaximumLinesClick();
    void SaveLogAsClick();
    void RecordToFileClick();
    void RecordAtStartClick();

    // A typed maximum: refused with a message unless a whole number from 1 to
    // 10000000; otherwise applied and written.
    bool ApplyMaximumLines(const std::string& text);
    // Starts recording to path; a file that cannot be opened gets a message
    // naming it and the system's reason, and recording stays off.
    bool StartRecording(const std::string& path);
    void StopRecording();

    // Where record and saved files go unless the operator says otherwise:
    // the folder of the settings file.
    static std::string DefaultFolder();

private:
    void find(bool backward);
    void recordingFailed(const std::string& path, const std::string& reason);
    void updateActions();
    void write(const char* key, const std::string& value);

    LogView* view_;
    QMenu* menu_;
    QString lastFind_;
};

// End-to-end test bench for the windows: a simulated module on a
// pseudo-terminal, the program folder in a fresh temporary folder, message
// boxes recorded and answered, and the windows created as start-up does.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "console/MessageBoxes.h"
#include "sim/SimulatorServer.h"
#include "support/TempFolder.h"

class QComboBox;
class QLineEdit;
class QWidget;

using Lines = std::vector<std::string>;

class RecordingMessageBoxes : public MessageBoxes {
public:
    void error(const std::string& text) override { errors.push_back(text); }
    void information(const std::string& text, const std::string& caption) override {
        informations.push_back(text);
        captions.push_back(caption);
    }
    bool question(const std::string& text, const std::string& caption) override {
        questions.push_back(text);
        captions.push_back(caption);
        if (answers.empty()) return defaultAnswer;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void clear() { errors.clear(), informations.clear(), questions.clear(), captions.clear(); }

    std::vector<std::string> errors;
    std::vector<std::string> informations;
    std::vector<std::string> questions;
    std::vector<std::string> captions;
    std::deque<bool> answers;  // answers to the next questions, then defaultAnswer
    bool defaultAnswer = true;
};

class UiHarness {
public:
    UiHarness();   // starts the simulator; the windows wait for start()
    ~UiHarness();  // destroys the windows, stops the simulator
    UiHarness(const UiHarness&) = delete;
    UiHarness& operator=(const UiHarness&) = delete;

    // Creates the windows in start-up order (after an optional writeIni).
    void start();
    // Destroys and recreates the windows: a restart of the program.
    void restart();
    void stopWindows();

    void writeIni(const std::string& content);
    std::string iniText() const;
    std::string iniPath() const;

    // The activity log's lines, and clearing it.
    std::vector<std::string> log() const;
    void clearLog();

    // Frames the module received (and clearing them), as hex text "FF 01 01 50 52 ".
    std::vector<std::string> frames();
    void clearFrames();

    // Processes events until pred holds or the time is up.
    bool waitFor(const std::function<bool()>& pred, int timeoutMs = 3000);
    // Processes events for a while (for "nothing more arrives" checks).
    void settle(int ms = 150);

    SimulatorServer sim;
    TempFolder folder;
    RecordingMessageBoxes boxes;
};

// "FF 01 01 50 52 " for a frame.
std::string HexOf(const std::vector<uint8_t>& bytes);

// Picks an item as the operator does: the list shows it and its handler runs.
void Choose(QComboBox* list, int index);
// Types keys into an emptied field, then moves the focus to `next`, so the
// field's exit handler runs as when the operator leaves it.
void TypeInto(UiHarness& ui, QLineEdit* field, const char* keys, QWidget* next);

// Every window with its caption, main window first.
std::vector<std::pair<QWidget*, std::string>> AllWindows();

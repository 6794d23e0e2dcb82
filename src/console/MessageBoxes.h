// Every message box of the program goes through this interface, so tests can
// read and answer them.
#pragma once

#include <string>

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // An error shown by the application's top-level error display.
    virtual void error(const std::string& text) = 0;
    // An information message with an OK button.
    virtual void information(const std::string& text, const std::string& caption) = 0;
    // A Yes/No question; true for Yes.
    virtual bool question(const std::string& text, const std::string& caption) = 0;
};

// The message boxes in use; QMessageBox-based unless replaced.
MessageBoxes& Messages();
// Replaces them (nullptr restores the QMessageBox ones).
void SetMessageBoxes(MessageBoxes* boxes);

#include "console/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

#include "console/Widgets.h"

namespace {

QWidget* activeParent() { return QApplication::activeWindow(); }

// The application display name stays unset: on X11 it would be appended to
// every window title.
const char* const kErrorCaption = "TALVOR";

class QtMessageBoxes : public MessageBoxes {
public:
    void error(const std::string& text) override {
        QMessageBox::critical(activeParent(), kErrorCaption, FromStd(text));
    }
    void information(const std::string& text, const std::string& caption) override {
        QMessageBox::information(activeParent(), FromStd(caption), FromStd(text));
    }
    bool question(const std::string& text, const std::string& caption) override {
        return QMessageBox::question(activeParent(), FromStd(caption), FromStd(text),
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
};

QtMessageBoxes qtBoxes;
MessageBoxes* current = &qtBoxes;

}  // namespace

MessageBoxes& Messages() { return *current; }

void SetMessageBoxes(MessageBoxes* boxes) { current = boxes ? boxes : &qtBoxes; }

#include "console/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QWidget* activeParent() { return QApplication::activeWindow(); }

// The application display name stays unset: on X11 it would be appended to
// every window title.
const char* const kErrorCaption = "TALVOR";

class QtMessageBoxes : public MessageBoxes {
public:
    void error(const std::string& text) override {
        QMessageBox::critical(activeParent(), kErrorCaption, QString::fromLocal8Bit(text.c_str()));
    }
    void information(const std::string& text, const std::string& caption) override {
        QMessageBox::information(activeParent(), QString::fromLocal8Bit(caption.c_str()),
                                 QString::fromLocal8Bit(text.c_str()));
    }
    bool question(const std::string& text, const std::string& caption) override {
        return QMessageBox::question(activeParent(), QString::fromLocal8Bit(caption.c_str()),
                                     QString::fromLocal8Bit(text.c_str()),
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
};

QtMessageBoxes qtBoxes;
MessageBoxes* current = &qtBoxes;

}  // namespace

MessageBoxes& Messages() { return *current; }

void SetMessageBoxes(MessageBoxes* boxes) { current = boxes ? boxes : &qtBoxes; }

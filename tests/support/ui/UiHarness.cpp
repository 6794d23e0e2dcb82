#include "UiHarness.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QThread>

#include "app/Startup.h"
#include "console/PortList.h"
#include "console/Unit1.h"
#include "dialogs/Unit2.h"
#include "dialogs/Unit3.h"
#include "dialogs/Unit4.h"
#include "dialogs/Unit5.h"
#include "dialogs/Unit7.h"
#include "dialogs/Unit8.h"
#include "dialogs/Unit9.h"
#include "link/TALVOR_comport.h"
#include "settings/SettingsFile.h"

namespace {

void ensureApplication() {
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "talvor-tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    InstallMainThreadExecutor();
}

}  // namespace

std::string HexOf(const std::vector<uint8_t>& bytes) {
    return HexText(bytes.data(), static_cast<int>(bytes.size()));
}

UiHarness::UiHarness() {
    ensureApplication();
    SetProgramFolderOverride(folder.path());
    SetMessageBoxes(&boxes);
    sim.start();
    SetPreferredPorts({sim.devicePath()});
}

UiHarness::~UiHarness() {
    stopWindows();
    sim.stop();
    SetMessageBoxes(nullptr);
    SetProgramFolderOverride("");
    SetPreferredPorts({});
}

void UiHarness::start() { CreateWindows(); }

void UiHarness::stopWindows() {
    if (!Form1) return;
    // Closing runs FormClose as the operator's close would.
    Form1->close();
    DestroyWindows();
    QApplication::processEvents();
}

void UiHarness::restart() {
    stopWindows();
    start();
}

void UiHarness::writeIni(const std::string& content) { WriteWholeFile(iniPath(), content); }
std::string UiHarness::iniText() const { return ReadWholeFile(iniPath()); }
std::string UiHarness::iniPath() const { return folder.file("talvor.ini"); }

std::vector<std::string> UiHarness::log() const {
    std::vector<std::string> lines;
    const QString text = Form1->Memo1->toPlainText();
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split('\n')) lines.push_back(line.toLatin1().toStdString());
    return lines;
}

void UiHarness::clearLog() { Form1->Memo1->clear(); }

std::vector<std::string> UiHarness::frames() {
    std::vector<std::string> out;
    for (const auto& f : sim.receivedFrames()) out.push_back(HexOf(f));
    return out;
}

void UiHarness::clearFrames() { sim.clearReceivedFrames(); }

bool UiHarness::waitFor(const std::function<bool()>& pred, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

void UiHarness::settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
}

void Choose(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

void TypeInto(UiHarness& ui, QLineEdit* field, const char* keys, QWidget* next) {
    field->clear(), field->setFocus();
    if (!ui.waitFor([field] { return field->hasFocus(); })) ADD_FAILURE() << "no focus to type";
    QTest::keyClicks(field, keys);
    next->setFocus();
    if (!ui.waitFor([next] { return next->hasFocus(); })) ADD_FAILURE() << "focus stayed";
}

std::vector<std::pair<QWidget*, std::string>> AllWindows() {
    return {{Form1, "TALVOR 3.07 for ZQ361 devices"},
            {Form2, "Calibration"},
            {Form3, "Tag Programming"},
            {Form4, "Programming Parameters"},
            {Form5, "Output Selection"},
            {Form7, "Set New Baud Rate"},
            {Form8, "Byte Track"},
            {Form9, "I2C Settings"}};
}

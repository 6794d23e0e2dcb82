#include "dialogs/Unit7.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "console/CommandExchange.h"
#include "console/HandlerGuard.h"
#include "console/Unit1.h"
#include "console/Widgets.h"
#include "module/BaudRateFrame.h"

TForm7* Form7 = nullptr;

namespace {
const QStringList kRates = {"9600", "19200", "38400", "57600", "115200"};
}  // namespace

TForm7::TForm7(QWidget* parent) : TDialogForm(parent) {
    setObjectName("Form7");
    setWindowTitle("Set New Baud Rate");
    setFixedSize(276, 121);

    Label1 = new QLabel("Current Baud Rate", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(12, 14, 120, 18);
    cmb_baud = MakeEditableCombo(this, "cmb_baud", kRates);
    cmb_baud->setCurrentIndex(1);
    cmb_baud->setGeometry(140, 10, 124, 26);
    Label1->setBuddy(cmb_baud);

    Label2 = new QLabel("New Baud Rate", this);
    Label2->setObjectName("Label2");
    Label2->setGeometry(12, 48, 120, 18);
    cb_new = MakeEditableCombo(this, "cb_new", kRates);
    cb_new->setCurrentIndex(1);
    cb_new->setGeometry(140, 44, 124, 26);
    Label2->setBuddy(cb_new);

    Button1 = MakeButton(this, "Button1", "Set New Baud Rate");
    Button1->setGeometry(12, 80, 252, 32);
    connect(Button1, &QPushButton::clicked, this, GuardedSlot([this] { Button1Click(); }));

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm7::FormCreate() {}

void TForm7::reopenHostAt(int index) {
    Form1->btn_closeClick();
    // Set in code, so the main window's choice is not written to the settings file.
    SetItemIndex(Form1->cmb_baud, index);
    Form1->btn_openClick();
}

void TForm7::Button1Click() {
    const int newIndex = ItemIndex(cb_new);
    const uint8_t code = BaudCodeOf(newIndex, ToStd(cb_new->currentText()));

    reopenHostAt(ItemIndex(cmb_baud));
    const ExchangeResult result = RunCommand(
        [code](uint8_t* frame) { return BuildSetBaudFrame(frame, code); }, BaudRateLines::SetBaud);
    if (result.matched != 0) return;

    // The module keeps the old rate until it is reset; the host listens for the new one.
    LogLine(BaudRateLines::ResetToUseNewRate);
    SetItemIndex(cmb_baud, newIndex);
    reopenHostAt(newIndex);
}

#include "dialogs/Unit9.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "console/CommandExchange.h"
#include "console/HandlerGuard.h"
#include "console/Widgets.h"
#include "module/I2CFrame.h"
#include "link/Conversions.h"
#include "settings/SettingsFile.h"

TForm9* Form9 = nullptr;

namespace {
const char* const kSection = "I2C";
const char* const kDefaultAddress = "41";
}  // namespace

TForm9::TForm9(QWidget* parent) : TDialogForm(parent) {
    setObjectName("Form9");
    setWindowTitle("I2C Settings");
    setFixedSize(210, 123);
    move(815, 419);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 194, 70);

    CheckBox1 = new QCheckBox("I2C Enable", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(18, 16, 120, 22);

    Label1 = new QLabel("Slave Address", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(18, 48, 90, 18);
    Label2 = new QLabel("0x", this);
    Label2->setObjectName("Label2");
    Label2->setGeometry(112, 48, 16, 18);
    // Enabled as designed until the rule is first applied: a load that stops
    // early leaves that to the next activation.
    Edit1 = MakeEdit(this, "Edit1", kDefaultAddress);
    Edit1->setGeometry(130, 45, 36, 24);
    Label1->setBuddy(Edit1);
    InstallKeyFilter(Edit1, HexKeyFilter(2));

    BitBtn1 = MakeButton(this, "BitBtn1", "Set I2C Parameters");
    BitBtn1->setGeometry(8, 86, 194, 30);

    // Runs on every change of state, also when loading sets it.
    connect(CheckBox1, &QCheckBox::toggled, this, GuardedSlot([this] { CheckBox1Click(); }));
    OnFocusExit(Edit1, [this] { Edit1Exit(); });
    connect(BitBtn1, &QPushButton::clicked, this, GuardedSlot([this] { BitBtn1Click(); }));
}

void TForm9::FormCreate() {
    // A value that does not convert ends the loading here; later keys keep
    // their initial values.
    TIniFile ini(SettingsPath());
    CheckBox1->setChecked(StrToBool(ini.ReadString(kSection, "Status", "FALSE")));
    Edit1->setText(FromStd(ini.ReadString(kSection, "Address", kDefaultAddress)));
    applyEnablingRule();
}

void TForm9::FormActivate() { applyEnablingRule(); }

void TForm9::FormClose() {
    TIniFile(SettingsPath())
        .WriteStrings(kSection, {{"Status", BoolToStr(CheckBox1->isChecked())},
                                 {"Address", ToStd(Edit1->text())}});
}

void TForm9::CheckBox1Click() { applyEnablingRule(); }

void TForm9::Edit1Exit() { PadSingleDigit(Edit1); }

void TForm9::BitBtn1Click() {
    const bool enabled = CheckBox1->isChecked();
    const std::string address = ToStd(Edit1->text());
    RunCommand([&](uint8_t* frame) { return BuildSetI2CFrame(frame, enabled, address); },
               I2CLines::SetI2C);
}

void TForm9::applyEnablingRule() { Edit1->setEnabled(CheckBox1->isChecked()); }

bool TForm9::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) Guarded([this] { FormActivate(); });
    return TDialogForm::event(event);
}

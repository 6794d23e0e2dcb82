#include "dialogs/Unit5.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "console/CommandExchange.h"
#include "console/HandlerGuard.h"
#include "console/MessageBoxes.h"
#include "console/Widgets.h"
#include "link/Conversions.h"
#include "settings/SettingsFile.h"

TForm5* Form5 = nullptr;

namespace {

const char* const kSection = "Output";
const char* const kCaption = "Output Selection";

QStringList tagByteItems() {
    QStringList items;
    for (int k = 1; k <= kTagDataBytes; ++k) items << QString("Byte%1").arg(k);
    return items;
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption,
                        const QRect& geometry) {
    auto* box = MakeCheckBox(parent, name, caption);
    box->setGeometry(geometry);
    return box;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption,
                  const QRect& geometry) {
    auto* label = MakeLabel(parent, name, caption);
    label->setGeometry(geometry);
    return label;
}

QGroupBox* makeFrame(QWidget* parent, const char* name, const QRect& geometry) {
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(name);
    frame->setGeometry(geometry);
    return frame;
}

}  // namespace

TForm5::TForm5(QWidget* parent) : TDialogForm(parent) {
    setObjectName("Form5");
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint);
    buildLayout();
    connectHandlers();
    update_enabling();
}

void TForm5::buildLayout() {
    setFixedSize(420, 414);
    Label1 = makeLabel(this, "Label1", "Custom communication protocol and custom I/O is available",
                       {8, 6, 404, 18});
    Label2 = makeLabel(this, "Label2", "Please contact for your specific requirements",
                       {8, 24, 404, 18});

    GroupBox1 = makeFrame(this, "GroupBox1", {8, 48, 404, 128});
    cb_uart = makeCheckBox(GroupBox1, "cb_uart", "UART / Serial", {10, 8, 200, 22});
    cb_uart->setChecked(true);
    rdb_ascii = new TRadioGroup(GroupBox1, "rdb_ascii", "Response Type",
                                {"Simple ASCII", "Defined Protocol"});
    rdb_ascii->setGeometry(10, 34, 200, 88);
    rdb_ascii->SetItemIndex(1);
    Label3 = makeLabel(GroupBox1, "Label3", "Footer", {230, 36, 80, 18});
    cb_cr = makeCheckBox(GroupBox1, "cb_cr", "CR", {230, 56, 80, 22});
    cb_lf = makeCheckBox(GroupBox1, "cb_lf", "LF", {230, 80, 80, 22});

    GroupBox2 = makeFrame(this, "GroupBox2", {8, 182, 404, 112});
    cb_wiegand =
        makeCheckBox(GroupBox2, "cb_wiegand",
                     "Wiegand 26 Bit        DATA0 ( P1[5] ) ,  DATA1 ( P1[6] )", {10, 8, 384, 22});
    Label4 = makeLabel(GroupBox2, "Label4", "Facility Code (1 Byte)", {10, 38, 170, 18});
    cb_facility = MakeFixedCombo(GroupBox2, "cb_facility", QStringList{"Fixed"} + tagByteItems());
    cb_facility->setGeometry(10, 58, 90, 26);
    SetItemIndex(cb_facility, 1);
    Label4->setBuddy(cb_facility);
    edt_facility = MakeEdit(GroupBox2, "edt_facility", "00");
    edt_facility->setGeometry(106, 58, 40, 26);
    edt_facility->setAccessibleName("Fixed facility code");
    Label5 = makeLabel(GroupBox2, "Label5", "Identification Code (2 Byte)", {200, 38, 194, 18});
    cb_id1 = MakeFixedCombo(GroupBox2, "cb_id1", tagByteItems());
    cb_id1->setGeometry(200, 58, 90, 26);
    SetItemIndex(cb_id1, 1);
    cb_id1->setAccessibleName("Identification code, first byte");
    cb_id2 = MakeFixedCombo(GroupBox2, "cb_id2", tagByteItems());
    cb_id2->setGeometry(298, 58, 90, 26);
    SetItemIndex(cb_id2, 2);
    cb_id2->setAccessibleName("Identification code, second byte");

    GroupBox3 = makeFrame(this, "GroupBox3", {8, 300, 404, 64});
    cb_GPIO = makeCheckBox(GroupBox3, "cb_GPIO", "Output0 ( P0[5] )", {10, 8, 200, 22});
    Label6 = makeLabel(GroupBox3, "Label6", "High/ON Time", {10, 36, 90, 18});
    edt_gpiotime = MakeEdit(GroupBox3, "edt_gpiotime", "30");
    edt_gpiotime->setGeometry(104, 32, 48, 26);
    Label6->setBuddy(edt_gpiotime);
    Label7 = makeLabel(GroupBox3, "Label7", "* 30 miliseconds", {158, 36, 140, 18});

    Button1 = MakeButton(this, "Button1", "Set Output Parameters");
    Button1->setGeometry(8, 372, 404, 34);
}

void TForm5::connectHandlers() {
    auto onToggle = [this](QCheckBox* box, void (TForm5::*handler)()) {
        // A check box's handler runs on every change, also from loading.
        connect(box, &QCheckBox::toggled, this,
                GuardedSlot([this, handler] { (this->*handler)(); }));
    };
    onToggle(cb_uart, &TForm5::cb_uartClick);
    onToggle(cb_wiegand, &TForm5::cb_wiegandClick);
    onToggle(cb_GPIO, &TForm5::cb_GPIOClick);
    rdb_ascii->OnClick = [this] { rdb_asciiClick(); };
    OnOperatorChange(cb_facility, [this] { cb_facilityChange(); });
    InstallKeyFilter(edt_facility, HexKeyFilter(2));
    OnFocusExit(edt_facility, [this] { edt_facilityExit(); });
    InstallKeyFilter(edt_gpiotime, DecimalKeyFilter(3));
    connect(Button1, &QPushButton::clicked, this, GuardedSlot([this] { Button1Click(); }));
}

void TForm5::update_enabling() {
    const bool uart = cb_uart->isChecked();
    rdb_ascii->setEnabled(uart);
    cb_cr->setEnabled(uart && rdb_ascii->ItemIndex() == 0);
    cb_lf->setEnabled(uart && rdb_ascii->ItemIndex() == 0);
    const bool wiegand = cb_wiegand->isChecked();
    cb_facility->setEnabled(wiegand);
    cb_id1->setEnabled(wiegand);
    cb_id2->setEnabled(wiegand);
    edt_facility->setEnabled(wiegand && cb_facility->currentIndex() == 0);
    edt_gpiotime->setEnabled(cb_GPIO->isChecked());
}

void TForm5::loadSettings() {
    TIniFile ini(SettingsPath());
    const auto read = [&ini](const char* key, const char* defaultValue) {
        return ini.ReadString(kSection, key, defaultValue);
    };
    cb_uart->setChecked(StrToBool(read("UART_ENABLE", "TRUE")));
    rdb_ascii->SetItemIndex(StrToInt(read("ASCII_PROTOCOL", "1")));
    cb_cr->setChecked(StrToBool(read("CR", "FALSE")));
    cb_lf->setChecked(StrToBool(read("LF", "FALSE")));
    cb_wiegand->setChecked(StrToBool(read("WIEGAND_ENABLE", "FALSE")));
    SetItemIndex(cb_facility, StrToInt(read("FACILITY", "1")));
    SetItemIndex(cb_id1, StrToInt(read("ID1", "1")));
    SetItemIndex(cb_id2, StrToInt(read("ID2", "2")));
    edt_facility->setText(FromStd(read("FACILITYBYTE", "00")));
    cb_GPIO->setChecked(StrToBool(read("OUTPUT0_ENABLE", "FALSE")));
    edt_gpiotime->setText(FromStd(read("GPIO_TIME", "30")));
}

void TForm5::FormCreate() {
    // A value that does not convert ends loading there; the enabling still
    // follows what was loaded.
    try {
        loadSettings();
    } catch (...) {
        update_enabling();
        throw;
    }
    update_enabling();
}

void TForm5::FormClose() {
    TIniFile(SettingsPath())
        .WriteStrings(kSection, {{"UART_ENABLE", BoolToStr(cb_uart->isChecked())},
                                 {"ASCII_PROTOCOL", std::to_string(rdb_ascii->ItemIndex())},
                                 {"CR", BoolToStr(cb_cr->isChecked())},
                                 {"LF", BoolToStr(cb_lf->isChecked())},
                                 {"WIEGAND_ENABLE", BoolToStr(cb_wiegand->isChecked())},
                                 {"OUTPUT0_ENABLE", BoolToStr(cb_GPIO->isChecked())},
                                 {"FACILITY", std::to_string(cb_facility->currentIndex())},
                                 {"ID1", std::to_string(cb_id1->currentIndex())},
                                 {"ID2", std::to_string(cb_id2->currentIndex())},
                                 {"FACILITYBYTE", ToStd(edt_facility->text())},
                                 {"GPIO_TIME", ToStd(edt_gpiotime->text())}});
}

void TForm5::cb_uartClick() { update_enabling(); }
void TForm5::rdb_asciiClick() { update_enabling(); }
void TForm5::cb_wiegandClick() { update_enabling(); }
void TForm5::cb_facilityChange() { update_enabling(); }
void TForm5::cb_GPIOClick() { update_enabling(); }

void TForm5::edt_facilityExit() { PadSingleDigit(edt_facility); }

OutputChoices TForm5::choices() const {
    OutputChoices c;
    c.uart = cb_uart->isChecked();
    c.responseType = rdb_ascii->ItemIndex();
    c.cr = cb_cr->isChecked();
    c.lf = cb_lf->isChecked();
    c.wiegand = cb_wiegand->isChecked();
    c.facilitySource = cb_facility->currentIndex();
    c.facilityCode = ToStd(edt_facility->text());
    c.id1 = cb_id1->currentIndex();
    c.id2 = cb_id2->currentIndex();
    c.output0 = cb_GPIO->isChecked();
    c.highTime = ToStd(edt_gpiotime->text());
    return c;
}

void TForm5::Button1Click() {
    AutoOpen();
    const OutputChoices c = choices();
    const std::array<uint8_t, 5> selection = OutputSelectionBytes(c);
    const std::optional<uint8_t> highTime = HighTimeByte(c.output0, c.highTime);
    if (!highTime) {
        Messages().information("High/ON Time can not be greater than 255", kCaption);
        return;
    }
    RunCommand(
        [&](uint8_t* frame) { return BuildOutputParametersFrame(frame, selection, *highTime); },
        OutputSelectionLines::SetOutputParameters);
}

// The main window: creation, layout, menus, port control, log and settings.
#include "console/Unit1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "console/Accessibility.h"
#include "console/HandlerGuard.h"
#include "console/LogMenu.h"
#include "console/PortCombo.h"
#include "console/PortList.h"
#include "console/PortRecovery.h"
#include "console/PortWatcher.h"
#include "console/TagsView.h"
#include "console/Widgets.h"
#include "link/TALVOR_comport.h"
#include "settings/SettingsFile.h"

TForm1* Form1 = nullptr;

namespace {

const char* const kSection = "LAST";
const char* const kDefaultTagPassword = "00";

QFont logFont() {
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    if (!QFontInfo(font).fixedPitch()) font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return font;
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle("TALVOR 3.07 for ZQ361 devices");
    resize(922, 522);
    buildLayout();
    buildMenus();
    portRecovery_ = new PortRecovery(this);
    portWatcher_ = new PortWatcher(PortListFolders(), this);
    connectHandlers();
    if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
}

void TForm1::buildLayout() {
    auto* central = new QWidget(this);
    central->setObjectName("central");
    setCentralWidget(central);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(0, 0, 8, 8);

    // The left column keeps the designed positions (x 8 to 305).
    auto* left = new QWidget(central);
    left->setObjectName("leftColumn");
    left->setFixedWidth(313);
    columns->addWidget(left);

    auto* portLabel = new QLabel("Com Port", left);
    portLabel->setObjectName("lbl_port");
    portLabel->setGeometry(8, 8, 128, 16);
    cmb_port = new PortComboBox(left, "cmb_port");
    cmb_port->setEditText("cmb_port");
    cmb_port->setGeometry(8, 26, 128, 26);
    portLabel->setBuddy(cmb_port);
    auto* baudLabel = new QLabel("Baud Rate", left);
    baudLabel->setObjectName("lbl_baud");
    baudLabel->setGeometry(142, 8, 70, 16);
    cmb_baud = MakeEditableCombo(left, "cmb_baud", {"9600", "19200", "38400", "57600", "115200"});
    cmb_baud->setCurrentIndex(1);
    cmb_baud->setGeometry(142, 26, 72, 26);
    baudLabel->setBuddy(cmb_baud);
    btn_open = MakeButton(left, "btn_open", "Open Port");
    // Wide enough for either caption; the port list gives way.
    btn_open->setGeometry(218, 24, 87, 30);
    btn_close = MakeButton(left, "btn_close", "Close Port");
    btn_close->setGeometry(218, 24, 87, 30);
    btn_close->hide();

    rdb_read = new TRadioGroup(left, "rdb_read", "Read Type",
                               {"Byte Track (Manchester RF/64) (Q5, T555x)",
                                "EM4100/02 parity decoded (Manchester RF/64)",
                                "EM4100/02 raw (Manchester RF/64)",
                                "Byte Track (Manchester RF/32) (Q5, T555x)"});
    rdb_read->setGeometry(8, 62, 297, 132);
    // The longest read type names must fit the column: a smaller font, and
    // narrow margins beside the items.
    QFont smaller = rdb_read->font();
    if (smaller.pointSizeF() > 0) smaller.setPointSizeF(smaller.pointSizeF() - 1);
    for (QWidget* item : rdb_read->findChildren<QWidget*>()) item->setFont(smaller);
    QMargins margins = rdb_read->layout()->contentsMargins();
    margins.setLeft(4), margins.setRight(2);
    rdb_read->layout()->setContentsMargins(margins);

    cb_sendp = new QCheckBox("Send Password:", left);
    cb_sendp->setObjectName("cb_sendp");
    cb_sendp->setGeometry(8, 202, 120, 24);
    QLineEdit** passwordFields[] = {&edt_p1, &edt_p2, &edt_p3, &edt_p4};
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "edt_p" + QByteArray::number(i + 1);
        QLineEdit* edit = MakeEdit(left, name.constData(), kDefaultTagPassword);
        edit->setGeometry(132 + i * 44, 202, 38, 24);
        edit->setEnabled(false);
        edit->setAccessibleName(QString("Password byte %1").arg(i + 1));
        InstallKeyFilter(edit, HexKeyFilter(2));
        OnFocusExit(edit, [edit] { PadSingleDigit(edit); });
        *passwordFields[i] = edit;
    }

    Label1 = new QLabel("Number of Blocks to be read", left);
    Label1->setObjectName("Label1");
    Label1->setGeometry(8, 240, 180, 20);
    cmb_nblocks = MakeEditableCombo(left, "cmb_nblocks", {"1", "2", "3", "4", "5", "6", "7"});
    cmb_nblocks->setCurrentIndex(0);
    cmb_nblocks->setGeometry(196, 237, 60, 26);
    Label1->setBuddy(cmb_nblocks);

    rdb_auto = new TRadioGroup(left, "rdb_auto", "Auto Read Mode", {"Enable", "Disable"}, 2);
    rdb_auto->SetItemIndex(1);
    rdb_auto->setGeometry(8, 270, 297, 56);

    Button17 = MakeButton(left, "Button17", "Set Auto Mode");
    Button17->setGeometry(8, 332, 297, 30);
    Button1 = MakeButton(left, "Button1", "Start Read");
    Button1->setGeometry(8, 374, 297, 34);
    Button1->setToolTip(
        "This will start read operation. As soon as a tag enters into the field, read operation "
        "will be ended. If Auto Mode is enabled, read operation will start again");
    Button2 = MakeButton(left, "Button2", "Stop Reading");
    Button2->setGeometry(8, 414, 297, 34);
    Button2->setToolTip("This wil stop reading. ");
    Button4 = MakeButton(left, "Button4", "One Shoot Read");
    Button4->setGeometry(8, 454, 297, 34);
    Button4->setToolTip("This will immediately return with tag data or no tag response");

    // Reached through the Tools menu only.
    Button5 = MakeButton(left, "Button5", "Firmware");
    Button6 = MakeButton(left, "Button6", "Reset");
    btn_config = MakeButton(left, "btn_config", "btn_config");
    for (QPushButton* hidden : {Button5, Button6, btn_config}) hidden->hide();

    auto* right = new QVBoxLayout;
    auto* header = new QHBoxLayout;
    Label21 = new QLabel("Com Port Activity & Information Box", central);
    Label21->setObjectName("Label21");
    QFont bold = Label21->font();
    bold.setBold(true);
    Label21->setFont(bold);
    SpeedButton1 = new QToolButton(central);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setText("Clear");
    SpeedButton1->setAutoRaise(true);
    header->addWidget(Label21);
    header->addStretch();
    header->addWidget(SpeedButton1);
    right->addSpacing(6);
    right->addLayout(header);
    Memo1 = new LogView(central);
    Memo1->setObjectName("Memo1");
    Memo1->setFont(logFont());
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setAccessibleName(Label21->text());
    Memo1Menu = new LogMenu(Memo1);
    LogTabs = new QTabWidget(central);
    LogTabs->setObjectName("LogTabs");
    LogTabs->addTab(Memo1, "Activity Log");
    TagsView1 = new TagsView(LogTabs);
    LogTabs->addTab(TagsView1, "Tags");
    TagsView1->OnRowCountChanged = [this](int rows) {
        LogTabs->setTabText(LogTabs->indexOf(TagsView1), QString("Tags (%1)").arg(rows));
    };
    right->addWidget(LogTabs);
    columns->addLayout(right, 1);
}

void TForm1::buildMenus() {
    auto action = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(name);
        return a;
    };
    Tools1 = menuBar()->addMenu("Tools");
    Tools1->setObjectName("Tools1");
    ProgramTagTransponder1 = action(Tools1, "ProgramTagTransponder1", "Program Tag");
    Tools1->addSeparator();
    GetModuleParameters1 = action(Tools1, "GetModuleParameters1", "Get ZQ361 Configuration");
    Tools1->addSeparator();
    SetBaudRate1 = action(Tools1, "SetBaudRate1", "Set New Baud Rate");
    SoftwareReset1 = action(Tools1, "SoftwareReset1", "Software Reset ");
    ReadFirmwareVersionn1 = action(Tools1, "ReadFirmwareVersionn1", "Read Firmware Version");
    Sleep1 = action(Tools1, "Sleep1", "Sleep");
    Tools1->addSeparator();
    Output1 = Tools1->addMenu("Output");
    Output1->setObjectName("Output1");
    Output00Output101 = action(Output1, "Output00Output101", "Output1>0 Output0>0");
    Output001 = action(Output1, "Output001", "Output1>0 Output0>1");
    Output11Output001 = action(Output1, "Output11Output001", "Output1>1 Output0>0");
    Output11Output111 = action(Output1, "Output11Output111", "Output1>1 Output1>1");
    ReadInput01 = action(Tools1, "ReadInput01", "Read Input0");
    Tools1->addSeparator();
    ReconnectAutomatically1 = action(Tools1, "ReconnectAutomatically1", "Reconnect Automatically");
    ReconnectAutomatically1->setCheckable(true);
    Tools1->addSeparator();
    SaveModuleProfile1 = action(Tools1, "SaveModuleProfile1", "Save Module Profile…");
    ApplyModuleProfile1 = action(Tools1, "ApplyModuleProfile1", "Apply Module Profile…");

    Settings1 = menuBar()->addMenu("Settings");
    Settings1->setObjectName("Settings1");
    ByteTrackSettings1 = action(Settings1, "ByteTrackSettings1", "Byte Track Settings");
    OutputSelection1 = action(Settings1, "OutputSelection1", "Output Settings");
    I2CSettings1 = action(Settings1, "I2CSettings1", "I2C Settings");
    Settings1->addSeparator();
    agProgrammingParameters1 =
        action(Settings1, "agProgrammingParameters1", "Tag Programming Parameters");
    Settings1->addSeparator();
    Calibration1 = action(Settings1, "Calibration1", "Calibration");
}

void TForm1::connectHandlers() {
    auto onClick = [this](QAbstractButton* b, void (TForm1::*handler)()) {
        connect(b, &QAbstractButton::clicked, this, GuardedSlot([this, handler] { (this->*handler)(); }));
    };
    auto onTrigger = [this](QAction* a, void (TForm1::*handler)()) {
        connect(a, &QAction::triggered, this, GuardedSlot([this, handler] { (this->*handler)(); }));
    };
    onClick(btn_open, &TForm1::btn_openClick);
    onClick(btn_close, &TForm1::btn_closeClick);
    onClick(SpeedButton1, &TForm1::SpeedButton1Click);
    onClick(Button1, &TForm1::Button1Click);
    onClick(Button2, &TForm1::Button2Click);
    onClick(Button4, &TForm1::Button4Click);
    onClick(Button17, &TForm1::Button17Click);
    onClick(Button5, &TForm1::Button5Click);
    onClick(Button6, &TForm1::Button6Click);
    onClick(btn_config, &TForm1::btn_configClick);
    // A check box's click handler runs on every change of state, also from code.
    connect(cb_sendp, &QCheckBox::toggled, this, GuardedSlot([this] { cb_sendpClick(); }));
    rdb_read->OnClick = [this] { rdb_readClick(); };
    rdb_auto->OnClick = [this] { rdb_autoClick(); };
    OnOperatorChange(cmb_port, [this] { cmb_portChange(); });
    OnOperatorChange(cmb_baud, [this] { cmb_baudChange(); });
    OnOperatorChange(cmb_nblocks, [this] { cmb_nblocksChange(); });

    onTrigger(ProgramTagTransponder1, &TForm1::ProgramTagTransponder1Click);
    onTrigger(GetModuleParameters1, &TForm1::GetModuleParameters1Click);
    onTrigger(SetBaudRate1, &TForm1::SetBaudRate1Click);
    onTrigger(SoftwareReset1, &TForm1::SoftwareReset1Click);
    onTrigger(ReadFirmwareVersionn1, &TForm1::ReadFirmwareVersionn1Click);
    onTrigger(Sleep1, &TForm1::Sleep1Click);
    onTrigger(Output00Output101, &TForm1::Output00Output101Click);
    onTrigger(Output001, &TForm1::Output001Click);
    onTrigger(Output11Output001, &TForm1::Output11Output001Click);
    onTrigger(Output11Output111, &TForm1::Output11Output111Click);
    onTrigger(ReadInput01, &TForm1::ReadInput01Click);
    onTrigger(ReconnectAutomatically1, &TForm1::ReconnectAutomatically1Click);
    onTrigger(SaveModuleProfile1, &TForm1::SaveModuleProfile1Click);
    onTrigger(ApplyModuleProfile1, &TForm1::ApplyModuleProfile1Click);
    connect(ReconnectAutomatically1, &QAction::toggled, portRecovery_, [this](bool on) {
        if (!on) portRecovery_->CancelReconnect();
    });
    static_cast<PortComboBox*>(cmb_port)->BeforePopup = [this] { RefreshPortList(); };
    connect(portWatcher_, &PortWatcher::changed, this, [this] {
        RefreshPortList();
        portRecovery_->DevicesChanged();
    });
    onTrigger(ByteTrackSettings1, &TForm1::ByteTrackSettings1Click);
    onTrigger(OutputSelection1, &TForm1::OutputSelection1Click);
    onTrigger(I2CSettings1, &TForm1::I2CSettings1Click);
    onTrigger(agProgrammingParameters1, &TForm1::agProgrammingParameters1Click);
    onTrigger(Calibration1, &TForm1::Calibration1Click);
}

void TForm1::AppendLine(const std::string& line) { Memo1->AppendLine(line); }

void TForm1::writeLast(const char* key, const std::string& value) {
    TIniFile(SettingsPath()).WriteString(kSection, key, value);
}

void TForm1::FormCreate() {
    // Read on its own: a bad value in the log's section does not stop the keys below.
    Memo1Menu->LoadSettings();
    // Raised for the main window's own exchanges; the tag programming dialog,
    // created later, sets the normal limit.
    PollLimit = kProgrammingPollLimit;
    // Not one of the keys below: a bad value here stops nothing else.
    Guarded([this] { loadPortOptions(); });
    ShowPorts(cmb_port, OfferedPortNames());

    // A value that does not convert ends the loading here; later keys keep
    // their initial values.
    TIniFile ini(SettingsPath());
    SetItemIndex(cmb_port, StrToInt(ini.ReadString(kSection, "cmb_port", "0")));
    // The index may name another device than last time: the path wins when present.
    selectStoredPort(ini.ReadString(kSection, "port_path", ""));
    SetItemIndex(cmb_baud, StrToInt(ini.ReadString(kSection, "cmb_baud", "1")));
    rdb_read->SetItemIndex(StrToInt(ini.ReadString(kSection, "rdb_read", "1")));
    cb_sendp->setChecked(StrToBool(ini.ReadString(kSection, "cb_sendp", "0")));
    rdb_auto->SetItemIndex(StrToInt(ini.ReadString(kSection, "rdb_auto", "1")));
    SetItemIndex(cmb_nblocks, StrToInt(ini.ReadString(kSection, "cmb_nblocks", "1")));
    edt_p1->setText(FromStd(ini.ReadString(kSection, "edt_p1", kDefaultTagPassword)));
    edt_p2->setText(FromStd(ini.ReadString(kSection, "edt_p2", kDefaultTagPassword)));
    edt_p3->setText(FromStd(ini.ReadString(kSection, "edt_p3", kDefaultTagPassword)));
    edt_p4->setText(FromStd(ini.ReadString(kSection, "edt_p4", kDefaultTagPassword)));
}

void TForm1::FormClose() {
    TIniFile(SettingsPath())
        .WriteStrings(kSection, {{"edt_p1", ToStd(edt_p1->text())},
                                 {"edt_p2", ToStd(edt_p2->text())},
                                 {"edt_p3", ToStd(edt_p3->text())},
                                 {"edt_p4", ToStd(edt_p4->text())}});
}

void TForm1::closeEvent(QCloseEvent* event) {
    Guarded([this] { FormClose(); });
    event->accept();
    if (OnClosed) OnClosed();
}

void TForm1::btn_openClick() {
    portRecovery_->Cancel();
    TComPort& port = com_form->comport1;
    port.SetPort(ToStd(cmb_port->currentText()));
    static const TBaudRate rates[] = {br9600, br19200, br38400, br57600, br115200};
    const int index = ItemIndex(cmb_baud);
    // A typed rate keeps the rate the port last had.
    if (index >= 0 && index < 5) port.SetBaudRate(rates[index]);
    port.SetConnected(true);
    port.ClearBuffer(true, true);
    btn_open->hide();
    btn_close->show();
}

void TForm1::btn_closeClick() {
    portRecovery_->Cancel();
    com_form->comport1.SetConnected(false);
    btn_close->hide();
    btn_open->show();
}

void TForm1::cmb_portChange() {
    const int index = ItemIndex(cmb_port);
    // A typed name is not remembered, as its index is not.
    TIniFile(SettingsPath())
        .WriteStrings(kSection,
                      {{"cmb_port", std::to_string(index)},
                       {"port_path", index >= 0 ? ToStd(cmb_port->currentText()) : std::string()}});
}

void TForm1::cmb_baudChange() { writeLast("cmb_baud", std::to_string(ItemIndex(cmb_baud))); }

void TForm1::SpeedButton1Click() { Memo1->clear(); }

void ShowDialog(QWidget* dialog) {
    if (!dialog) return;
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

#include "dialogs/Unit3.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdio>
#include <exception>
#include <stdexcept>

#include "console/HandlerGuard.h"
#include "console/MessageBoxes.h"
#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/TagExchanges.h"
#include "module/TagProgramming.h"
#include "dialogs/Unit4.h"
#include "link/TALVOR_comport.h"
#include "settings/SettingsFile.h"

TForm3* Form3 = nullptr;

namespace {

const char* const kSection = "Programmer";
const char* const kDefaultTagPassword = "00";

// Stored texts of hex5 ... hex32 ("B1" ... "B28") when the file has none.
std::string defaultBlockText(int k) {
    static const char* const firstBlock[] = {"52", "58", "8B", "45"};
    if (k <= 4) return firstBlock[k - 1];
    if (k <= 8) return "02";
    if (k <= 12) return "03";
    if (k <= 16) return "04";
    if (k <= 24) return "05";
    return kDefaultTagPassword;  // block 7 holds the transponder's password
}

std::array<std::string, 4> texts(QLineEdit* const* fields) {
    return {ToStd(fields[0]->text()), ToStd(fields[1]->text()), ToStd(fields[2]->text()),
            ToStd(fields[3]->text())};
}

}  // namespace

TForm3::TForm3(QWidget* parent) : TDialogForm(parent) {
    setObjectName("Form3");
    setWindowTitle("Tag Programming");
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    buildLayout();
    connectHandlers();
}

void TForm3::buildLayout() {
    auto* outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName("MainMenu1");
    QMenu* set = MainMenu1->addMenu("Set");
    set->setObjectName("Set1");
    ProgrammingParameters2 = set->addAction("Tag Programming Parameters");
    ProgrammingParameters2->setObjectName("ProgrammingParameters2");
    outer->setMenuBar(MainMenu1);

    auto* choices = new QGridLayout;
    outer->addLayout(choices);
    auto addChoice = [this, choices](int row, int column, const char* labelName,
                                     const QString& caption, QComboBox* combo) {
        auto* label = new QLabel(caption, this);
        label->setObjectName(labelName);
        label->setBuddy(combo);
        choices->addWidget(label, row, column);
        choices->addWidget(combo, row + 1, column);
    };
    cmb_tag = MakeFixedCombo(this, "cmb_tag", {"Q5 ( T5555 )", "T5557", "T5551", "T5552"});
    cmb_mod = MakeFixedCombo(this, "cmb_mod", {"Manchester RF/64", "Manchester RF/32"});
    cmb_pass = MakeFixedCombo(this, "cmb_pass", {"OFF", "ON"});
    cmb_max = MakeFixedCombo(this, "cmb_max", {"1", "2", "3", "4", "5", "6", "7"});
    addChoice(0, 0, "lbl_tag", "Transponder Type", cmb_tag);
    addChoice(0, 1, "lbl_mod", "Modulation", cmb_mod);
    addChoice(2, 0, "lbl_pass", "Password Protection", cmb_pass);
    addChoice(2, 1, "lbl_max", "Max Block", cmb_max);

    auto* mode = new QGroupBox("Entry Mode", this);
    mode->setObjectName("grp_entry");
    auto* modeRow = new QHBoxLayout(mode);
    rdb_hex = new QRadioButton("Hex", mode);
    rdb_hex->setObjectName("rdb_hex");
    rdb_hex->setChecked(true);
    rdb_ascii = new QRadioButton("ASCII", mode);
    rdb_ascii->setObjectName("rdb_ascii");
    modeRow->addWidget(rdb_hex);
    modeRow->addWidget(rdb_ascii);
    outer->addWidget(mode);

    auto* blocks = new QGridLayout;
    outer->addLayout(blocks);
    auto* heading = new QLabel("Configuration Block / Block0", this);
    heading->setObjectName("lbl_block0");
    blocks->addWidget(heading, 0, 1, 1, 8);
    for (int n = 0; n < 8; ++n) {
        const int row = n + 1;
        Button[n + 1] = MakeButton(this, QString("Button%1").arg(n + 1).toLatin1().constData(),
                                   QString("PRG BLK %1").arg(n));
        blocks->addWidget(Button[n + 1], row, 0);
        for (int k = 1; k <= 4; ++k) {
            const int i = 4 * n + k;
            hex[i] = MakeEdit(this, QString("hex%1").arg(i).toLatin1().constData());
            hex[i]->setFixedWidth(36);
            hex[i]->setAccessibleName(QString("Block %1 byte %2").arg(n).arg(k));
            InstallKeyFilter(hex[i], HexKeyFilter(2));
            blocks->addWidget(hex[i], row, k);
            asc[i] = MakeEdit(this, QString("asc%1").arg(i).toLatin1().constData());
            asc[i]->setFixedWidth(28);
            asc[i]->setAccessibleName(QString("Block %1 character %2").arg(n).arg(k));
            InstallKeyFilter(asc[i], KeyFilter{nullptr, 1, false});
            blocks->addWidget(asc[i], row, 4 + k);
        }
    }
    for (int i = 1; i <= 4; ++i) {
        hex[i]->setReadOnly(true);
        asc[i]->setReadOnly(true);
        asc[i]->setEnabled(false);
    }
    for (int i = 5; i <= 32; ++i) {
        asc[i]->setReadOnly(true);
        asc[i]->setEnabled(false);
        hex[i]->setText(FromStd(defaultBlockText(i - 4)));
    }

    auto* bottom = new QHBoxLayout;
    outer->addLayout(bottom);
    Button[9] = MakeButton(this, "Button9", "Program All");
    bottom->addWidget(Button[9]);
    cb_pass = new QCheckBox("Access with Password", this);
    cb_pass->setObjectName("cb_pass");
    bottom->addWidget(cb_pass);
    QLineEdit** passwordFields[] = {&Edit9, &Edit10, &Edit11, &Edit12};
    for (int k = 0; k < 4; ++k) {
        QLineEdit* edit = MakeEdit(this, QString("Edit%1").arg(9 + k).toLatin1().constData(),
                                   kDefaultTagPassword);
        edit->setFixedWidth(36);
        edit->setAccessibleName(QString("Password byte %1").arg(k + 1));
        edit->setEnabled(false);
        InstallKeyFilter(edit, HexKeyFilter());
        bottom->addWidget(edit);
        *passwordFields[k] = edit;
    }

    buildEm4100Row(outer);

    auto* note1 = new QLabel("For reliable Tag programming, please", this);
    note1->setObjectName("Label1");
    auto* note2 = new QLabel("stop reading the Tag", this);
    note2->setObjectName("Label2");
    outer->addWidget(note1);
    outer->addWidget(note2);
}

void TForm3::connectHandlers() {
    OnOperatorChange(cmb_tag, [this] { cmb_tagChange(); });
    OnOperatorChange(cmb_mod, [this] { cmb_modChange(); });
    OnOperatorChange(cmb_pass, [this] { cmb_passChange(); });
    OnOperatorChange(cmb_max, [this] { cmb_maxChange(); });
    connect(rdb_hex, &QRadioButton::clicked, this, GuardedSlot([this] { rdb_hexClick(); }));
    connect(rdb_ascii, &QRadioButton::clicked, this, GuardedSlot([this] { rdb_asciiClick(); }));
    // A check box's click handler runs on every change of state, also from code.
    connect(cb_pass, &QCheckBox::toggled, this, GuardedSlot([this] { cb_passClick(); }));
    for (int i = 1; i <= 32; ++i) {
        OnFocusExit(hex[i], [this, i] { hex_to_asc(i); });
        OnFocusExit(asc[i], [this, i] { asc_to_hex(i); });
    }
    for (QLineEdit* edit : {Edit9, Edit10, Edit11, Edit12})
        OnFocusExit(edit, [edit] { PadSingleDigit(edit); });
    void (TForm3::*const clicks[])() = {nullptr,
                                        &TForm3::Button1Click,
                                        &TForm3::Button2Click,
                                        &TForm3::Button3Click,
                                        &TForm3::Button4Click,
                                        &TForm3::Button5Click,
                                        &TForm3::Button6Click,
                                        &TForm3::Button7Click,
                                        &TForm3::Button8Click,
                                        &TForm3::Button9Click};
    for (int b = 1; b <= 9; ++b) {
        const auto handler = clicks[b];
        connect(Button[b], &QPushButton::clicked, this,
                GuardedSlot([this, handler] { (this->*handler)(); }));
    }
    connect(ProgrammingParameters2, &QAction::triggered, this,
            GuardedSlot([this] { ProgrammingParameters2Click(); }));
    connect(btn_compose_em4100, &QPushButton::clicked, this,
            GuardedSlot([this] { btn_compose_em4100Click(); }));
    connect(btn_write_verify, &QPushButton::clicked, this,
            GuardedSlot([this] { btn_write_verifyClick(); }));
    connect(btn_series, &QPushButton::clicked, this, GuardedSlot([this] { btn_seriesClick(); }));
}

// --- creation, settings, closing ---------------------------------------------

void TForm3::FormCreate() {
    PollLimit = kNormalPollLimit;
    for (int i = 1; i <= 32; ++i) hex[i]->setEnabled(true);
    // A refused settings value ends loading; Block0 and the characters still
    // follow what was loaded, so the fields on screen agree with each other.
    std::exception_ptr loadError;
    try {
        load_ini();
    } catch (...) {
        loadError = std::current_exception();
    }
    compose_block0();
    for (int i = 5; i <= 32; ++i) hex_to_asc(i);
    if (loadError) std::rethrow_exception(loadError);
}

void TForm3::load_ini() {
    TIniFile ini(SettingsPath());
    auto read = [&ini](const std::string& key, const std::string& fallback) {
        return ini.ReadString(kSection, key, fallback);
    };
    SetItemIndex(cmb_tag, StrToInt(read("Tag", "0")));
    SetItemIndex(cmb_mod, StrToInt(read("Modulation", "0")));
    SetItemIndex(cmb_pass, StrToInt(read("PasswordProtection", "0")));
    SetItemIndex(cmb_max, StrToInt(read("MaxBlock", "6")));
    cb_pass->setChecked(StrToBool(read("PasswordAccess", "FALSE")));
    QLineEdit* const passwords[] = {Edit9, Edit10, Edit11, Edit12};
    for (int k = 0; k < 4; ++k)
        passwords[k]->setText(FromStd(read("Pass" + std::to_string(k + 1), kDefaultTagPassword)));
    for (int k = 1; k <= 28; ++k)
        hex[k + 4]->setText(FromStd(read("B" + std::to_string(k), defaultBlockText(k))));
    edt_em4100->setText(FromStd(read("EM4100ID", "")));
}

void TForm3::save_ini() {
    TIniFile::KeyValues keys{{"Tag", std::to_string(ItemIndex(cmb_tag))},
                             {"Modulation", std::to_string(ItemIndex(cmb_mod))},
                             {"PasswordProtection", std::to_string(ItemIndex(cmb_pass))},
                             {"MaxBlock", std::to_string(ItemIndex(cmb_max))},
                             {"PasswordAccess", BoolToStr(cb_pass->isChecked())}};
    QLineEdit* const passwords[] = {Edit9, Edit10, Edit11, Edit12};
    for (int k = 0; k < 4; ++k)
        keys.emplace_back("Pass" + std::to_string(k + 1), ToStd(passwords[k]->text()));
    for (int k = 1; k <= 28; ++k)
        keys.emplace_back("B" + std::to_string(k), ToStd(hex[k + 4]->text()));
    keys.emplace_back("EM4100ID", ToStd(edt_em4100->text()));
    TIniFile(SettingsPath()).WriteStrings(kSection, keys);
}

void TForm3::FormClose() { save_ini(); }

// --- Block0 and the field pairs ----------------------------------------------

Block0Choice TForm3::block0Choice() const {
    Block0Choice choice;
    choice.type = TagTypeFromText(ToStd(cmb_tag->currentText()));
    if (cmb_mod->currentIndex() >= 0) choice.modulation = cmb_mod->currentIndex();
    choice.passwordProtection = cmb_pass->currentText() == "ON";
    if (cmb_max->currentIndex() >= 0) choice.maxBlock = cmb_max->currentText().toInt();
    return choice;
}

void TForm3::compose_block0() {
    cmb_mod->setEnabled(true);
    cmb_pass->setEnabled(true);
    const std::optional<TagType> type = TagTypeFromText(ToStd(cmb_tag->currentText()));
    if (!type) return;
    if (*type == TagType::T5552) {
        SetItemIndex(cmb_mod, kModulationRF32);
        cmb_mod->setEnabled(false);
        cmb_pass->setEnabled(false);
    }
    const std::optional<uint32_t> word = Block0Word(block0Choice());
    if (!word) return;
    const std::array<std::string, 4> fields = Block0Fields(*word);
    for (int k = 0; k < 4; ++k) hex[k + 1]->setText(FromStd(fields[static_cast<size_t>(k)]));
}

void TForm3::cmb_tagChange() { compose_block0(); }
void TForm3::cmb_modChange() { compose_block0(); }
void TForm3::cmb_passChange() { compose_block0(); }
void TForm3::cmb_maxChange() { compose_block0(); }

void TForm3::hex_to_asc(int i) {
    QString text = hex[i]->text();
    if (text.isEmpty()) return;
    if (text.size() < 2) {
        text.prepend('0');
        hex[i]->setText(text);
    }
    // Only a stored text can be malformed here (typing is filtered); its
    // character stays blank and writing the block refuses it.
    QString character;
    try {
        character = QChar(HexPairToByte(ToStd(text)));
    } catch (const EConvertError&) {
    }
    asc[i]->setText(character);
}

void TForm3::asc_to_hex(int i) {
    const QString text = asc[i]->text();
    if (text.isEmpty()) return;
    const char16_t code = text.at(0).unicode();
    if (code > 0xFF) throw EConvertError("'" + text.toStdString() + "' does not fit in one byte");
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", code);
    hex[i]->setText(digits);
}

void TForm3::set_entry_mode() {
    for (int i = 5; i <= 32; ++i) {
        if (rdb_hex->isChecked()) {
            hex[i]->setReadOnly(false);
            hex[i]->setEnabled(true);
            asc[i]->setReadOnly(true);
            asc[i]->setEnabled(false);
        } else if (rdb_ascii->isChecked()) {
            hex[i]->setReadOnly(true);
            hex[i]->setEnabled(false);
            asc[i]->setReadOnly(false);
            asc[i]->setEnabled(true);
        }
    }
    for (int i = 5; i <= 32; ++i) hex_to_asc(i);
}

void TForm3::rdb_hexClick() { set_entry_mode(); }
void TForm3::rdb_asciiClick() { set_entry_mode(); }

void TForm3::cb_passClick() {
    for (QLineEdit* edit : {Edit9, Edit10, Edit11, Edit12}) edit->setEnabled(cb_pass->isChecked());
}

// --- writing blocks ----------------------------------------------------------

void TForm3::program_block(int n) {
    // Every byte is checked before anything happens: a password byte sent as a
    // silent 0x00 can lock a transponder for good.
    const std::array<std::string, 4> dataTexts = texts(&hex[static_cast<size_t>(4 * n + 1)]);
    const FourBytes data = FieldBytes(dataTexts);
    std::array<std::string, 4> passwordTexts;
    std::optional<FourBytes> password;
    if (cb_pass->isChecked()) {
        QLineEdit* const fields[] = {Edit9, Edit10, Edit11, Edit12};
        passwordTexts = texts(fields);
        password = FieldBytes(passwordTexts);
    }
    WriteBlock(n, data, dataTexts, password, passwordTexts);
}

bool TForm3::confirm_password_protection() {
    if (cmb_pass->currentText() != "ON") return true;
    Messages().information(
        "You have enabled the password. Password will be required when "
        "accessing(read/write) to the Tag. The password is the data in Block7 of the tag. "
        "Make sure you know the Block7 content. A confirmation is going to be asked in the "
        "next message",
        "Tag Programming");
    return Messages().question("Do you still want to enable password and program the Tag?",
                               "UYARI");
}

void TForm3::Button1Click() {
    if (!Block0Word(block0Choice()))
        throw std::runtime_error(
            "Block 0 is not composed: choose Transponder Type, Modulation and Max Block first.");
    if (!confirm_password_protection()) return;
    program_block(0);
}

void TForm3::Button2Click() { program_block(1); }
void TForm3::Button3Click() { program_block(2); }
void TForm3::Button4Click() { program_block(3); }
void TForm3::Button5Click() { program_block(4); }
void TForm3::Button6Click() { program_block(5); }
void TForm3::Button7Click() { program_block(6); }
void TForm3::Button8Click() { program_block(7); }

void TForm3::Button9Click() {
    Button1Click();
    Button2Click();
    Button3Click();
    Button4Click();
    Button5Click();
    Button6Click();
    Button7Click();
    Button8Click();
}

void TForm3::ProgrammingParameters2Click() { ShowDialog(Form4); }

#include "dialogs/Unit8.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "console/CommandExchange.h"
#include "console/HandlerGuard.h"
#include "console/Widgets.h"
#include "module/ByteTrack.h"
#include "link/Conversions.h"
#include "settings/SettingsFile.h"

TForm8* Form8 = nullptr;

namespace {

const char* const kSection = "ByteTrack";
const char* const kFieldKeys[kTrackFields] = {"TB1", "TB2", "TB3", "TB4"};
const char* const kFieldDefaults[kTrackFields] = {"52", "58", "8B", "45"};

}  // namespace

TForm8::TForm8(QWidget* parent) : TDialogForm(parent) {
    setObjectName("Form8");
    setWindowTitle("Byte Track");
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint);
    setFixedSize(177, 151);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(0, 0, 177, 151);
    Label1 = new QLabel("# of Bytes to be Tracked", Panel1);
    Label1->setObjectName("Label1");
    Label1->setGeometry(8, 6, 161, 18);
    cmb_no_tbytes = MakeFixedCombo(Panel1, "cmb_no_tbytes", {"1", "2", "3", "4"});
    cmb_no_tbytes->setGeometry(8, 26, 60, 26);
    Label1->setBuddy(cmb_no_tbytes);
    Label2 = new QLabel("Byte(s) to be Tracked (Hex)", Panel1);
    Label2->setObjectName("Label2");
    Label2->setGeometry(4, 58, 169, 18);

    QLineEdit** fields[kTrackFields] = {&Edit1, &Edit2, &Edit3, &Edit4};
    void (TForm8::*exits[kTrackFields])() = {&TForm8::Edit1Exit, &TForm8::Edit2Exit,
                                             &TForm8::Edit3Exit, &TForm8::Edit4Exit};
    for (int i = 0; i < kTrackFields; ++i) {
        const QByteArray name = "Edit" + QByteArray::number(i + 1);
        QLineEdit* edit = MakeEdit(Panel1, name.constData(), kFieldDefaults[i]);
        edit->setGeometry(8 + i * 41, 78, 38, 24);
        edit->setEnabled(false);
        edit->setAccessibleName(QString("Tracked byte %1").arg(i + 1));
        InstallKeyFilter(edit, HexKeyFilter(2, true));
        OnFocusExit(edit, [this, exit = exits[i]] { (this->*exit)(); });
        *fields[i] = edit;
    }
    Label2->setBuddy(Edit1);

    Button1 = MakeButton(Panel1, "Button1", "Set Byte Track Parameters");
    Button1->setGeometry(4, 112, 169, 30);

    OnOperatorChange(cmb_no_tbytes, [this] { cmb_no_tbytesChange(); });
    connect(Button1, &QPushButton::clicked, this, GuardedSlot([this] { Button1Click(); }));

    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

std::array<QLineEdit*, kTrackFields> TForm8::fields() const { return {Edit1, Edit2, Edit3, Edit4}; }

void TForm8::applyEnabling() {
    const int count = cmb_no_tbytes->currentIndex() + 1;  // 0 with no selection
    for (int i = 0; i < kTrackFields; ++i) fields()[i]->setEnabled(i < count);
}

void TForm8::FormCreate() {
    // A "No" that does not convert ends loading here: the fields keep their
    // initial texts and stay disabled.
    TIniFile ini(SettingsPath());
    SetItemIndex(cmb_no_tbytes, StrToInt(ini.ReadString(kSection, "No", "3")));
    for (int i = 0; i < kTrackFields; ++i)
        fields()[i]->setText(FromStd(ini.ReadString(kSection, kFieldKeys[i], kFieldDefaults[i])));
    applyEnabling();
}

void TForm8::FormClose() {
    TIniFile::KeyValues keys{{"No", std::to_string(cmb_no_tbytes->currentIndex())}};
    for (int i = 0; i < kTrackFields; ++i)
        keys.emplace_back(kFieldKeys[i], ToStd(fields()[i]->text()));
    TIniFile(SettingsPath()).WriteStrings(kSection, keys);
}

void TForm8::cmb_no_tbytesChange() { applyEnabling(); }

void TForm8::Edit1Exit() { PadSingleDigit(Edit1); }
void TForm8::Edit2Exit() { PadSingleDigit(Edit2); }
void TForm8::Edit3Exit() { PadSingleDigit(Edit3); }
void TForm8::Edit4Exit() { PadSingleDigit(Edit4); }

void TForm8::Button1Click() {
    const auto build = [this](uint8_t* frame) {
        std::array<std::string, kTrackFields> texts;
        for (int i = 0; i < kTrackFields; ++i) texts[i] = ToStd(fields()[i]->text());
        return BuildByteTrackFrame(frame, ToStd(cmb_no_tbytes->currentText()), texts);
    };
    RunCommand(build, ByteTrackLines::SetByteTrack);
}

// The calibration dialog: its controls, its settings section and the result
// lists. The set commands and the runs are in CalibrationRuns.cpp.
#include "dialogs/Unit2.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QVBoxLayout>

#include "console/HandlerGuard.h"
#include "console/MessageBoxes.h"
#include "console/Widgets.h"
#include "dialogs/CalibrationResults.h"
#include "link/CommandTable.h"
#include "link/Conversions.h"
#include "settings/SettingsFile.h"

TForm2* Form2 = nullptr;

namespace {

const char* const kSection = "Calibration";
const char* const kCaption = "Calibration";
const char* const kStatusName = "Last combination tried";

QStringList radfItems() {
    QStringList items;
    for (int v = 92; v <= 100; ++v) items << QString::number(v);
    return items;
}

const QStringList kAItems{"1", "2", "3"};

template <size_t N>
QStringList labelsOf(const GCode (&table)[N]) {
    QStringList items;
    for (const GCode& g : table) items << g.label;
    return items;
}

// The 18 selectors in the order their keys are written.
struct Selector {
    QComboBox* TForm2::*combo;
    void (TForm2::*change)();
    const char* name;
    const char* key;
    int defaultPosition;
};

const Selector kSelectors[18] = {
    {&TForm2::cmb_radf_s, &TForm2::cmb_radf_sChange, "cmb_radf_s", "RADF_Start", 1},
    {&TForm2::cmb_radf_e, &TForm2::cmb_radf_eChange, "cmb_radf_e", "RADF_Stop", 4},
    {&TForm2::cmb_a1_s, &TForm2::cmb_a1_sChange, "cmb_a1_s", "A1_Start", 1},
    {&TForm2::cmb_a1_e, &TForm2::cmb_a1_eChange, "cmb_a1_e", "A1_Stop", 2},
    {&TForm2::cmb_a2_s, &TForm2::cmb_a2_sChange, "cmb_a2_s", "A2_Start", 1},
    {&TForm2::cmb_a2_e, &TForm2::cmb_a2_eChange, "cmb_a2_e", "A2_Stop", 2},
    {&TForm2::cmb_a3_s, &TForm2::cmb_a3_sChange, "cmb_a3_s", "A3_Start", 1},
    {&TForm2::cmb_a3_e, &TForm2::cmb_a3_eChange, "cmb_a3_e", "A3_Stop", 2},
    {&TForm2::cmb_g1_s, &TForm2::cmb_g1_sChange, "cmb_g1_s", "G1_Start", 3},
    {&TForm2::cmb_g1_e, &TForm2::cmb_g1_eChange, "cmb_g1_e", "G1_Stop", 6},
    {&TForm2::cmb_g2_s, &TForm2::cmb_g2_sChange, "cmb_g2_s", "G2_Start", 3},
    {&TForm2::cmb_g2_e, &TForm2::cmb_g2_eChange, "cmb_g2_e", "G2_Stop", 6},
    {&TForm2::cmb_radf, &TForm2::cmb_radfChange, "cmb_radf", "RADF", 4},
    {&TForm2::cmb_a1, &TForm2::cmb_a1Change, "cmb_a1", "A1", 1},
    {&TForm2::cmb_a2, &TForm2::cmb_a2Change, "cmb_a2", "A2", 2},
    {&TForm2::cmb_a3, &TForm2::cmb_a3Change, "cmb_a3", "A3", 2},
    {&TForm2::cmb_g1, &TForm2::cmb_g1Change, "cmb_g1", "G1", 10},
    {&TForm2::cmb_g2, &TForm2::cmb_g2Change, "cmb_g2", "G2", 10},
};

QListWidget* makeList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    return list;
}

QPlainTextEdit* makeMemo(QWidget* parent, const char* name) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(name);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->hide();
    return memo;
}

}  // namespace

TForm2::TForm2(QWidget* parent) : TDialogForm(parent) {
    setObjectName("Form2");
    setWindowTitle("Calibration");
    buildLayout();
    for (const Selector& s : kSelectors) SetItemIndex(this->*s.combo, s.defaultPosition);
    connectHandlers();
}

void TForm2::buildLayout() {
    auto* ranges = new QGroupBox("Auto Calibration Ranges", this);
    ranges->setObjectName("GroupBox1");
    auto* values = new QGroupBox("Parameters", this);
    values->setObjectName("GroupBox2");

    const QStringList radf = radfItems();
    const QStringList gList = labelsOf(kCalibrationGList);
    const QStringList gTable = labelsOf(kGCodeTable);
    cmb_radf_s = MakeFixedCombo(ranges, "cmb_radf_s", radf);
    cmb_radf_e = MakeFixedCombo(ranges, "cmb_radf_e", radf);
    cmb_a1_s = MakeFixedCombo(ranges, "cmb_a1_s", kAItems);
    cmb_a1_e = MakeFixedCombo(ranges, "cmb_a1_e", kAItems);
    cmb_a2_s = MakeFixedCombo(ranges, "cmb_a2_s", kAItems);
    cmb_a2_e = MakeFixedCombo(ranges, "cmb_a2_e", kAItems);
    cmb_a3_s = MakeFixedCombo(ranges, "cmb_a3_s", kAItems);
    cmb_a3_e = MakeFixedCombo(ranges, "cmb_a3_e", kAItems);
    cmb_g1_s = MakeFixedCombo(ranges, "cmb_g1_s", gList);
    cmb_g1_e = MakeFixedCombo(ranges, "cmb_g1_e", gList);
    cmb_g2_s = MakeFixedCombo(ranges, "cmb_g2_s", gList);
    cmb_g2_e = MakeFixedCombo(ranges, "cmb_g2_e", gList);
    cmb_radf = MakeFixedCombo(values, "cmb_radf", radf);
    cmb_a1 = MakeFixedCombo(values, "cmb_a1", kAItems);
    cmb_a2 = MakeFixedCombo(values, "cmb_a2", kAItems);
    cmb_a3 = MakeFixedCombo(values, "cmb_a3", kAItems);
    cmb_g1 = MakeFixedCombo(values, "cmb_g1", gTable);
    cmb_g2 = MakeFixedCombo(values, "cmb_g2", gTable);

    Button1 = MakeButton(values, "Button1", "Set");
    Button2 = MakeButton(values, "Button2", "Set");
    Button3 = MakeButton(values, "Button3", "Set");
    Button4 = MakeButton(values, "Button4", "Set All");
    // Three buttons read "Set"; say which.
    Button1->setAccessibleName("Set RADF");
    Button2->setAccessibleName("Set A1/A2/A3");
    Button3->setAccessibleName("Set G1/G2");
    Button13 = MakeButton(ranges, "Button13", "Auto Calibrate");
    Button5 = MakeButton(ranges, "Button5", "Re-Calibrate");

    const char* const names[6] = {"RADF", "A1", "A2", "A3", "G1", "G2"};
    QComboBox* const starts[6] = {cmb_radf_s, cmb_a1_s, cmb_a2_s, cmb_a3_s, cmb_g1_s, cmb_g2_s};
    QComboBox* const ends[6] = {cmb_radf_e, cmb_a1_e, cmb_a2_e, cmb_a3_e, cmb_g1_e, cmb_g2_e};
    QComboBox* const valueCombos[6] = {cmb_radf, cmb_a1, cmb_a2, cmb_a3, cmb_g1, cmb_g2};

    auto* rangeGrid = new QGridLayout(ranges);
    rangeGrid->addWidget(MakeLabel(ranges, "lbl_start", "Start", nullptr), 0, 1);
    rangeGrid->addWidget(MakeLabel(ranges, "lbl_end", "End", nullptr), 0, 2);
    for (int i = 0; i < 6; ++i) {
        const QString name = names[i];
        rangeGrid->addWidget(MakeLabel(ranges, qPrintable("lbl_range_" + name), name, starts[i]),
                             i + 1, 0);
        starts[i]->setAccessibleName(name + " Start");
        ends[i]->setAccessibleName(name + " End");
        rangeGrid->addWidget(starts[i], i + 1, 1);
        rangeGrid->addWidget(ends[i], i + 1, 2);
    }
    rangeGrid->addWidget(Button13, 7, 0, 1, 3);
    rangeGrid->addWidget(Button5, 8, 0, 1, 3);

    auto* valueGrid = new QGridLayout(values);
    for (int i = 0; i < 6; ++i) {
        const QString name = names[i];
        valueGrid->addWidget(MakeLabel(values, qPrintable("lbl_" + name), name, valueCombos[i]), i,
                             0);
        valueGrid->addWidget(valueCombos[i], i, 1);
    }
    valueGrid->addWidget(Button1, 0, 2);
    valueGrid->addWidget(Button2, 1, 2, 3, 1);
    valueGrid->addWidget(Button3, 4, 2, 2, 1);
    valueGrid->addWidget(Button4, 6, 0, 1, 3);

    ListBox1 = makeList(this, "ListBox1");
    Memo1 = makeMemo(this, "Memo1");
    ListBox2 = makeList(this, "ListBox2");
    Memo2 = makeMemo(this, "Memo2");
    Memo1->setAccessibleName("Calibration Results");
    Memo2->setAccessibleName("Re-Calibration Results");
    auto* results = new QGridLayout;
    results->addWidget(MakeLabel(this, "lbl_results", "Calibration Results", ListBox1), 0, 0);
    results->addWidget(MakeLabel(this, "lbl_recal_results", "Re-Calibration Results", ListBox2), 0,
                       1);
    results->addWidget(ListBox1, 1, 0);
    results->addWidget(Memo1, 1, 0);
    results->addWidget(ListBox2, 1, 1);
    results->addWidget(Memo2, 1, 1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    // Its text is its accessible name, so a screen reader can read the
    // combination last tried (the bus cannot be asked while a run blocks).
    StatusBar1->setAccessibleName(kStatusName);
    connect(StatusBar1, &QStatusBar::messageChanged, this, [this](const QString& text) {
        StatusBar1->setAccessibleName(text.isEmpty() ? kStatusName : text);
    });

    auto* top = new QHBoxLayout;
    top->addWidget(ranges);
    top->addWidget(values);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(results, 1);
    main->addWidget(StatusBar1);
    resize(560, 560);
}

void TForm2::connectHandlers() {
    connect(Button1, &QPushButton::clicked, this, GuardedSlot([this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, GuardedSlot([this] { Button2Click(); }));
    connect(Button3, &QPushButton::clicked, this, GuardedSlot([this] { Button3Click(); }));
    connect(Button4, &QPushButton::clicked, this, GuardedSlot([this] { Button4Click(); }));
    connect(Button13, &QPushButton::clicked, this, GuardedSlot([this] { Button13Click(); }));
    connect(Button5, &QPushButton::clicked, this, GuardedSlot([this] { Button5Click(); }));
    connect(ListBox1, &QListWidget::itemClicked, this, GuardedSlot([this] { ListBox1Click(); }));
    connect(ListBox2, &QListWidget::itemClicked, this, GuardedSlot([this] { ListBox2Click(); }));
    for (const Selector& s : kSelectors) {
        const auto change = s.change;
        OnOperatorChange(this->*s.combo, [this, change] { (this->*change)(); });
    }
}

void TForm2::FormCreate() {
    const TIniFile ini(SettingsPath());
    for (const Selector& s : kSelectors) {
        const std::string text = ini.ReadString(kSection, s.key, std::to_string(s.defaultPosition));
        SetItemIndex(this->*s.combo, StrToInt(text));
    }
}

void TForm2::save_ini() {
    TIniFile::KeyValues keys;
    for (const Selector& s : kSelectors)
        keys.emplace_back(s.key, std::to_string(ItemIndex(this->*s.combo)));
    TIniFile(SettingsPath()).WriteStrings(kSection, keys);
}

void TForm2::ListBox1Click() { applySelectedEntry(ListBox1); }
void TForm2::ListBox2Click() { applySelectedEntry(ListBox2); }

void TForm2::applySelectedEntry(QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty()) {
        Messages().information("Nothnig is selected", kCaption);
        return;
    }
    const std::string entry = ToStd(selected.first()->text());
    if (!entry.empty()) apply_result_line(entry);
}

void TForm2::apply_result_line(const std::string& line) {
    const auto values = ResultLineValues(line);
    if (!values) return;
    static const char* const kNames[6] = {"RADF", "A1", "A2", "A3", "G1", "G2"};
    QComboBox* const targets[6] = {cmb_radf, cmb_a1, cmb_a2, cmb_a3, cmb_g1, cmb_g2};
    for (int i = 0; i < 6; ++i) {
        const QString value = FromStd((*values)[i]);
        const int found = targets[i]->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
        SetItemIndex(targets[i], found);
        if (found < 0) {
            Messages().information(
                std::string("No such ") + kNames[i] + " parameter found!Unexpected Error",
                kCaption);
            return;
        }
    }
}

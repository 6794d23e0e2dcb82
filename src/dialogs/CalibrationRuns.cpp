// The calibration dialog's exchanges: the four set commands, "Set All",
// Auto Calibrate and Re-Calibrate.
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <cstdio>
#include <stdexcept>

#include "console/CommandExchange.h"
#include "console/MessageBoxes.h"
#include "console/Unit1.h"
#include "console/Widgets.h"
#include "module/CalibrationCommands.h"
#include "dialogs/CalibrationResults.h"
#include "dialogs/Unit2.h"
#include "link/CommandTable.h"
#include "link/Conversions.h"
#include "link/TALVOR_comport.h"

namespace {

const char* const kCaption = "Calibration";
constexpr int kGTableSize = sizeof kGCodeTable / sizeof kGCodeTable[0];
constexpr int kGListSize = sizeof kCalibrationGList / sizeof kCalibrationGList[0];

[[noreturn]] void refuseUnselected(const std::string& name) {
    throw std::runtime_error("Please choose a value for " + name + " first.");
}

// RADF and A selectors count by their text.
uint8_t numberOf(const QComboBox* combo, const std::string& name) {
    if (ItemIndex(combo) < 0) refuseUnselected(name);
    return static_cast<uint8_t>(StrToInt(ToStd(combo->currentText())));
}

// G selectors count by position, which must lie inside the table they index.
int positionOf(const QComboBox* combo, const std::string& name, int tableSize) {
    const int position = ItemIndex(combo);
    if (position < 0 || position >= tableSize) refuseUnselected(name);
    return position;
}

void checkPositions(int p1, int p2, int tableSize) {
    if (p1 < 0 || p1 >= tableSize || p2 < 0 || p2 >= tableSize)
        throw std::out_of_range("G position " +
                                std::to_string(p1 < 0 || p1 >= tableSize ? p1 : p2) +
                                " lies outside the G table");
}

QStringList linesOf(const QPlainTextEdit* memo) {
    const QString text = memo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split('\n');
}

void showStatus(QStatusBar* bar, const std::string& text) {
    bar->showMessage(FromStd(text));
    bar->repaint();
}

}  // namespace

void TForm2::set_radf(uint8_t value) {
    // The value is logged in hexadecimal, the A values below in decimal.
    char radf[3];
    std::snprintf(radf, sizeof radf, "%02X", value);
    RunCommand([value](uint8_t* f) { return BuildSetRadfFrame(f, value); },
               CalibrationLines::SetRadf, {{"radf", radf}});
}

void TForm2::set_a_params(uint8_t a1, uint8_t a2, uint8_t a3) {
    RunCommand(
        [=](uint8_t* f) { return BuildSetAFrame(f, a1, a2, a3); }, CalibrationLines::SetA,
        {{"a1", std::to_string(a1)}, {"a2", std::to_string(a2)}, {"a3", std::to_string(a3)}});
}

void TForm2::set_g_params(int p1, int p2) {
    checkPositions(p1, p2, kGTableSize);
    const uint8_t c1 = kGCodeTable[p1].code;
    const uint8_t c2 = kGCodeTable[p2].code;
    RunCommand([=](uint8_t* f) { return BuildSetGFrame(f, c1, c2); }, CalibrationLines::SetG,
               {{"g1", ToStd(cmb_g1->currentText())}, {"g2", ToStd(cmb_g2->currentText())}});
}

void TForm2::set_g_range_params(int p1, int p2) {
    checkPositions(p1, p2, kGListSize);
    const GCode& g1 = kCalibrationGList[p1];
    const GCode& g2 = kCalibrationGList[p2];
    RunCommand([&](uint8_t* f) { return BuildSetGFrame(f, g1.code, g2.code); },
               CalibrationLines::SetGRange, {{"g1", g1.label}, {"g2", g2.label}});
}

void TForm2::Button1Click() { set_radf(numberOf(cmb_radf, "RADF")); }

void TForm2::Button2Click() {
    const uint8_t a1 = numberOf(cmb_a1, "A1");
    const uint8_t a2 = numberOf(cmb_a2, "A2");
    const uint8_t a3 = numberOf(cmb_a3, "A3");
    set_a_params(a1, a2, a3);
}

void TForm2::Button3Click() {
    const int p1 = positionOf(cmb_g1, "G1", kGTableSize);
    const int p2 = positionOf(cmb_g2, "G2", kGTableSize);
    set_g_params(p1, p2);
}

void TForm2::Button4Click() {
    Button1Click();
    Button2Click();
    Button3Click();
}

bool TForm2::readsTag() {
    Form1->Button1Click();
    // The acknowledgement was Start Read's; the tag frame, if any, follows it.
    std::string dataText, replyText;
    ReadCommandResponse(dataText, replyText);
    return replyText != "error" && ReplyCode(replyText) == "10";
}

void TForm2::Button13Click() {
    const uint8_t radfStart = numberOf(cmb_radf_s, "RADF Start");
    const uint8_t radfEnd = numberOf(cmb_radf_e, "RADF End");
    const uint8_t a1Start = numberOf(cmb_a1_s, "A1 Start");
    const uint8_t a1End = numberOf(cmb_a1_e, "A1 End");
    const uint8_t a2Start = numberOf(cmb_a2_s, "A2 Start");
    const uint8_t a2End = numberOf(cmb_a2_e, "A2 End");
    const uint8_t a3Start = numberOf(cmb_a3_s, "A3 Start");
    const uint8_t a3End = numberOf(cmb_a3_e, "A3 End");
    const int g1Start = positionOf(cmb_g1_s, "G1 Start", kGListSize);
    const int g1End = positionOf(cmb_g1_e, "G1 End", kGListSize);
    const int g2Start = positionOf(cmb_g2_s, "G2 Start", kGListSize);
    const int g2End = positionOf(cmb_g2_e, "G2 End", kGListSize);

    const struct {
        bool endBelowStart;
        const char* message;
    } checks[] = {
        {a1End < a1Start, "A1 End can not be smaller than A1 Start"},
        {a2End < a2Start, "A2 End can not be smaller than A2 Start"},
        {a3End < a3Start, "A3 End can not be smaller than A3 Start"},
        {g1End < g1Start, "G1 End can not be smaller than G1 Start"},
        {g2End < g2Start, "G2 End can not be smaller than G2 Start"},
    };
    for (const auto& check : checks) {
        if (check.endBelowStart) {
            Messages().information(check.message, kCaption);
            return;
        }
    }

    // Every attempt clicks Start Read; refuse once here rather than on each.
    Form1->RequireReadType();
    Memo1->show();
    ListBox1->hide();
    Memo1->clear();
    ListBox1->clear();
    run_calibration(radfStart, radfEnd, a1Start, a1End, a2Start, a2End, a3Start, a3End,
                    static_cast<uint8_t>(g1Start), static_cast<uint8_t>(g1End),
                    static_cast<uint8_t>(g2Start), static_cast<uint8_t>(g2End));
}

void TForm2::run_calibration(uint8_t radfStart, uint8_t radfEnd, uint8_t a1Start, uint8_t a1End,
                             uint8_t a2Start, uint8_t a2End, uint8_t a3Start, uint8_t a3End,
                             uint8_t g1Start, uint8_t g1End, uint8_t g2Start, uint8_t g2End) {
    // Counters are ints so that an end of 255 still ends the loop.
    for (int r = radfStart; r <= radfEnd; ++r) {
        set_radf(static_cast<uint8_t>(r));
        for (int a1 = a1Start; a1 <= a1End; ++a1)
            for (int a2 = a2Start; a2 <= a2End; ++a2)
                for (int a3 = a3Start; a3 <= a3End; ++a3) {
                    set_a_params(static_cast<uint8_t>(a1), static_cast<uint8_t>(a2),
                                 static_cast<uint8_t>(a3));
                    for (int g1 = g1Start; g1 <= g1End; ++g1)
                        for (int g2 = g2Start; g2 <= g2End; ++g2) {
                            set_g_range_params(g1, g2);
                            const bool good = readsTag();
                            const std::string g1Label = kCalibrationGList[g1].label;
                            const std::string g2Label = kCalibrationGList[g2].label;
                            showStatus(StatusBar1,
                                       CalibrationStatusLine(std::to_string(r), std::to_string(a1),
                                                             std::to_string(a2), std::to_string(a3),
                                                             g1Label, g2Label));
                            if (good)
                                Memo1->appendPlainText(FromStd(
                                    CalibrationResultLine(r, a1, a2, a3, g1Label, g2Label)));
                            Memo1->repaint();
                        }
                }
    }
    ListBox1->clear();
    ListBox1->addItems(linesOf(Memo1));
    Memo1->hide();
    ListBox1->show();
}

void TForm2::Button5Click() {
    if (ListBox1->count() > 0) Form1->RequireReadType();
    ListBox2->clear();
    Memo2->clear();
    ListBox2->hide();
    Memo2->show();
    QStringList entries;
    for (int i = 0; i < ListBox1->count(); ++i) entries << ListBox1->item(i)->text();
    for (const QString& entry : entries) {
        apply_result_line(ToStd(entry));
        Button4Click();
        const bool good = readsTag();
        showStatus(StatusBar1, CalibrationStatusLine(
                                   ToStd(cmb_radf->currentText()), ToStd(cmb_a1->currentText()),
                                   ToStd(cmb_a2->currentText()), ToStd(cmb_a3->currentText()),
                                   ToStd(cmb_g1->currentText()), ToStd(cmb_g2->currentText())));
        if (good) Memo2->appendPlainText(entry);
        Memo2->repaint();
    }
    ListBox2->clear();
    ListBox2->addItems(linesOf(Memo2));
    Memo2->hide();
    ListBox2->show();
    Form1->Button6Click();
}

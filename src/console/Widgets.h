// Small building blocks shared by every window: the toolkit words of the
// design (item index, radio group, key filter, focus exit) on Qt widgets.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>

class QButtonGroup;
class QCheckBox;
class QLabel;

// The operator's text (fields, typed port names, messages) and the settings
// file's values cross into the rest of the program as UTF-8, both ways.
std::string ToStd(const QString& text);
QString FromStd(const std::string& text);

// Drop-down lists. For an editable list the item index is the position of the
// item whose text equals the shown text, -1 when none.
QComboBox* MakeEditableCombo(QWidget* parent, const char* name, const QStringList& items);
QComboBox* MakeFixedCombo(QWidget* parent, const char* name, const QStringList& items);
int ItemIndex(const QComboBox* combo);
// An index outside the items leaves the list without a selection (and, for an
// editable list, with an empty text). Raises no change handler.
void SetItemIndex(QComboBox* combo, int index);
// Runs handler on the operator's change only (never when code sets a value).
void OnOperatorChange(QComboBox* combo, std::function<void()> handler);

// A framed group of radio buttons; item positions are the button ids.
class TRadioGroup : public QGroupBox {
public:
    TRadioGroup(QWidget* parent, const char* name, const QString& caption, const QStringList& items,
                int columns = 1);
    int ItemIndex() const;
    // -1 (or any index outside the items) checks none; raises no click handler.
    void SetItemIndex(int index);
    int Count() const;
    // Runs on the operator's click.
    std::function<void()> OnClick;

private:
    QButtonGroup* group_;
};

// Buttons take the focus on a click (so a field's exit handler runs first) and
// never act as a dialog's default button.
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption);

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text = QString());
// A label belongs to its buddy field, which takes its accessible name from it.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QWidget* buddy = nullptr);
QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption);

// What the operator may type, paste or drop into a field.
struct KeyFilter {
    std::function<bool(QChar)> accepts;  // null: any character
    int maxLength = 0;                   // 0: no limit
    bool upperCase = false;              // typed letters shown in upper case
};
KeyFilter HexKeyFilter(int maxLength = 0, bool upperCase = false);
KeyFilter DecimalKeyFilter(int maxLength = 0);
// Each edit is judged by what it inserts, whatever the field already holds;
// deletions always pass and text set by code is never judged.
void InstallKeyFilter(QLineEdit* edit, const KeyFilter& filter);

// Runs handler when the focus moves from the field to another control of the
// same window (a window losing activation is no exit).
void OnFocusExit(QLineEdit* edit, std::function<void()> handler);

// A field holding a single digit gets a leading "0".
void PadSingleDigit(QLineEdit* edit);

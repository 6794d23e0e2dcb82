// The byte track dialog: how many bytes the Byte Track read types track, and
// their values.
#pragma once

#include <array>

#include "module/ByteTrack.h"
#include "dialogs/DialogForm.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm8 : public TDialogForm {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);

    QWidget* Panel1;
    QLabel* Label1;
    QComboBox* cmb_no_tbytes;
    QLabel* Label2;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QPushButton* Button1;

    void FormCreate();
    void FormClose() override;
    void cmb_no_tbytesChange();
    void Edit1Exit();
    void Edit2Exit();
    void Edit3Exit();
    void Edit4Exit();
    void Button1Click();

private:
    std::array<QLineEdit*, kTrackFields> fields() const;
    void applyEnabling();
};

extern TForm8* Form8;

// "Programming Parameters": the five timing bytes the module uses when it
// writes a transponder, with a default set per transponder family.
#pragma once

#include "dialogs/DialogForm.h"

class QComboBox;
class QLineEdit;
class QPushButton;

class TForm4 : public TDialogForm {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    QComboBox* cmb_tag;
    QLineEdit* edt_wg;
    QLineEdit* edt_sg;
    QLineEdit* edt_og;
    QLineEdit* edt_zg;
    QLineEdit* edt_padf;
    QPushButton* Button1;  // Set Parameters

    void FormCreate();
    void cmb_tagChange();
    void Button1Click();

    // Writes the selected tag type's default set into the five fields.
    void set_defaults();
};

extern TForm4* Form4;

// "I2C Settings": switches the module's I2C slave mode and sets its address.
#pragma once

#include "dialogs/DialogForm.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm9 : public TDialogForm {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent = nullptr);

    QFrame* Bevel1;
    QCheckBox* CheckBox1;
    QLabel* Label1;
    QLabel* Label2;
    QLineEdit* Edit1;  // typing is filtered to hex digits (Edit1KeyPress)
    QPushButton* BitBtn1;

    void FormCreate();
    void FormActivate();
    void FormClose() override;
    void CheckBox1Click();
    void Edit1Exit();
    void BitBtn1Click();

protected:
    bool event(QEvent* event) override;

private:
    void applyEnablingRule();
};

extern TForm9* Form9;

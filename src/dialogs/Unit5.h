// The output selection dialog: how the module reports a tag it reads on its
// own (serial line, Wiegand 26, timed Output0 pin).
#pragma once

#include "dialogs/DialogForm.h"
#include "module/OutputSelection.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TRadioGroup;

class TForm5 : public TDialogForm {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label2;
    QGroupBox* GroupBox1;
    QCheckBox* cb_uart;
    TRadioGroup* rdb_ascii;
    QLabel* Label3;
    QCheckBox* cb_cr;
    QCheckBox* cb_lf;
    QGroupBox* GroupBox2;
    QCheckBox* cb_wiegand;
    QLabel* Label4;
    QComboBox* cb_facility;
    QLineEdit* edt_facility;
    QLabel* Label5;
    QComboBox* cb_id1;
    QComboBox* cb_id2;
    QGroupBox* GroupBox3;
    QCheckBox* cb_GPIO;
    QLabel* Label6;
    QLineEdit* edt_gpiotime;
    QLabel* Label7;
    QPushButton* Button1;

    void FormCreate();
    void FormClose() override;
    void cb_uartClick();
    void rdb_asciiClick();
    void cb_wiegandClick();
    void cb_facilityChange();
    void cb_GPIOClick();
    void edt_facilityExit();
    void Button1Click();
    void update_enabling();

private:
    void buildLayout();
    void connectHandlers();
    void loadSettings();
    OutputChoices choices() const;
};

extern TForm5* Form5;

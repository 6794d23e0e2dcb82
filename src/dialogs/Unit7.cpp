#include "dialogs/Unit7.h"

#include "console/Widgets.h"

TForm7* Form7 = nullptr;

TForm7::TForm7(QWidget* parent) : QDialog(parent) {
    setObjectName("Form7");
    setWindowTitle("Set New Baud Rate");
    cmb_baud = MakeEditableCombo(this, "cmb_baud", {"9600", "19200", "38400", "57600", "115200"});
}

void TForm7::FormCreate() {}

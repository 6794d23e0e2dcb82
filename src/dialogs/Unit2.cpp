#include "dialogs/Unit2.h"

#include "console/Widgets.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName("Form2");
    setWindowTitle("Calibration");
}

void TForm2::FormCreate() {}

#include "dialogs/Unit9.h"

#include "console/Widgets.h"

TForm9* Form9 = nullptr;

TForm9::TForm9(QWidget* parent) : QDialog(parent) {
    setObjectName("Form9");
    setWindowTitle("I2C Settings");
}

void TForm9::FormCreate() {}

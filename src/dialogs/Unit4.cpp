#include "dialogs/Unit4.h"

#include "console/Widgets.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
    setObjectName("Form4");
    setWindowTitle("Programming Parameters");
}

void TForm4::FormCreate() {}

#include "dialogs/Unit5.h"

#include "console/Widgets.h"

TForm5* Form5 = nullptr;

TForm5::TForm5(QWidget* parent) : QDialog(parent) {
    setObjectName("Form5");
    setWindowTitle("Output Selection");
}

void TForm5::FormCreate() {}

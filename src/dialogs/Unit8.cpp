#include "dialogs/Unit8.h"

#include "console/Widgets.h"

TForm8* Form8 = nullptr;

TForm8::TForm8(QWidget* parent) : QDialog(parent) {
    setObjectName("Form8");
    setWindowTitle("Byte Track");
}

void TForm8::FormCreate() {}

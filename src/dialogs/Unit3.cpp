#include "dialogs/Unit3.h"

#include "console/Widgets.h"
#include "link/TALVOR_comport.h"

TForm3* Form3 = nullptr;

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setObjectName("Form3");
    setWindowTitle("Tag Programming");
}

void TForm3::FormCreate() { PollLimit = kNormalPollLimit; }

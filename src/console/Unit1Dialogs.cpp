// Menu items that show the dialogs.
#include <QComboBox>

#include "console/Unit1.h"
#include "console/Widgets.h"
#include "dialogs/Unit2.h"
#include "dialogs/Unit3.h"
#include "dialogs/Unit4.h"
#include "dialogs/Unit5.h"
#include "dialogs/Unit7.h"
#include "dialogs/Unit8.h"
#include "dialogs/Unit9.h"

void TForm1::ProgramTagTransponder1Click() { ShowDialog(Form3); }

void TForm1::SetBaudRate1Click() {
    if (!Form7) return;
    SetItemIndex(Form7->cmb_baud, ItemIndex(cmb_baud));
    ShowDialog(Form7);
}

void TForm1::ByteTrackSettings1Click() { ShowDialog(Form8); }
void TForm1::OutputSelection1Click() { ShowDialog(Form5); }
void TForm1::I2CSettings1Click() { ShowDialog(Form9); }
void TForm1::agProgrammingParameters1Click() { ShowDialog(Form4); }
void TForm1::Calibration1Click() { ShowDialog(Form2); }

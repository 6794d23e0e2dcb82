// "Set New Baud Rate": changes the rate the module talks at, and the host follows.
#pragma once

#include "dialogs/DialogForm.h"

class QComboBox;
class QLabel;
class QPushButton;

class TForm7 : public TDialogForm {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);

    QLabel* Label1;
    QComboBox* cmb_baud;  // the rate the module uses now
    QLabel* Label2;
    QComboBox* cb_new;  // the rate it shall use
    QPushButton* Button1;

    void FormCreate();
    void Button1Click();

private:
    // Closes the main window's port and opens it again at the rate of item index.
    static void reopenHostAt(int index);
};

extern TForm7* Form7;

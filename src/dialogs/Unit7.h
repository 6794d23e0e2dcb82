// Placeholder until the dialog is built.
#pragma once

#include <QDialog>

class QComboBox;

class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
    QComboBox* cmb_baud;
    void FormCreate();
};

extern TForm7* Form7;

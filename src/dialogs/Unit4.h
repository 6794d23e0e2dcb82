// Placeholder until the dialog is built.
#pragma once

#include <QDialog>

class QComboBox;

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    void FormCreate();
};

extern TForm4* Form4;

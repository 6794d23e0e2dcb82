// Placeholder until the dialog is built.
#pragma once

#include <QDialog>

class QComboBox;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    void FormCreate();
};

extern TForm2* Form2;

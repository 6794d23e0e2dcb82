// Placeholder until the dialog is built.
#pragma once

#include <QDialog>

class QComboBox;

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    void FormCreate();
};

extern TForm3* Form3;

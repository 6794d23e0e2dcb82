// Placeholder until the dialog is built.
#pragma once

#include <QDialog>

class QComboBox;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    void FormCreate();
};

extern TForm5* Form5;

// Placeholder until the dialog is built.
#pragma once

#include <QDialog>

class QComboBox;

class TForm8 : public QDialog {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);
    void FormCreate();
};

extern TForm8* Form8;

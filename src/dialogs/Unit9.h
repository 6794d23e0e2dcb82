// Placeholder until the dialog is built.
#pragma once

#include <QDialog>

class QComboBox;

class TForm9 : public QDialog {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent = nullptr);
    void FormCreate();
};

extern TForm9* Form9;

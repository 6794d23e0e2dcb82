// What every dialog shares: it lives for the whole run, is shown non-modally
// and runs its close routine, FormClose, once each time it closes after being
// shown, whichever way it closes: the title bar's close button sends a close
// event, Esc calls reject() without one, and code may call close(), accept()
// or done().
#pragma once

#include <QDialog>

class TDialogForm : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    // The dialog's close routine; a dialog that keeps nothing has none.
    virtual void FormClose() {}

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void runFormCloseOnce();
    bool formCloseRan_ = true;  // nothing to close before the first showing
};

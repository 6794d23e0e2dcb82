#include "dialogs/DialogForm.h"

#include <QCloseEvent>
#include <QShowEvent>

#include "console/HandlerGuard.h"

void TDialogForm::showEvent(QShowEvent* event) {
    formCloseRan_ = false;
    QDialog::showEvent(event);
}

// A close event ends in reject() and so in done(): the routine runs once.
void TDialogForm::closeEvent(QCloseEvent* event) {
    runFormCloseOnce();
    QDialog::closeEvent(event);
}

void TDialogForm::done(int result) {
    runFormCloseOnce();
    QDialog::done(result);
}

void TDialogForm::runFormCloseOnce() {
    if (formCloseRan_) return;
    formCloseRan_ = true;
    Guarded([this] { FormClose(); });
}

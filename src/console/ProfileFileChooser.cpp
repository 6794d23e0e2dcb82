#include "console/ProfileFileChooser.h"

#include <QFileDialog>

#include "console/Unit1.h"

namespace {

ProfileFileChooser replacement;

const char kFilter[] = "Module profiles (*.profile);;All files (*)";

}  // namespace

std::string ChooseProfileFile(bool forSaving) {
    if (replacement) return replacement(forSaving);
    const QString path =
        forSaving
            ? QFileDialog::getSaveFileName(Form1, "Save Module Profile", "module.profile", kFilter)
            : QFileDialog::getOpenFileName(Form1, "Apply Module Profile", QString(), kFilter);
    return path.toStdString();
}

void SetProfileFileChooser(ProfileFileChooser chooser) { replacement = std::move(chooser); }

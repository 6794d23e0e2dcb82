// Where the window asks for a module profile's file name; tests replace it.
#pragma once

#include <functional>
#include <string>

// forSaving: a file to write; otherwise one to read. "" when the operator cancels.
using ProfileFileChooser = std::function<std::string(bool forSaving)>;
// The chooser in use: a file dialog unless replaced (an empty function restores it).
std::string ChooseProfileFile(bool forSaving);
void SetProfileFileChooser(ProfileFileChooser chooser);

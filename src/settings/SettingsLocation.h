// The program's folder, and where the program keeps the operator's choices and
// its other per-user files.
//
// The portable layout keeps talvor.ini beside the program file: it is used
// when the program's folder already holds a talvor.ini or the user may write
// there (a build folder, a copy on a stick). An installed program's folder is
// not the user's, so otherwise the file lives in the user's configuration
// folder, $XDG_CONFIG_HOME/talvor/ (~/.config/talvor/ when the variable is
// unset, empty or not an absolute path), which appears with the first write.
// The rule is applied afresh at every call, like every settings access.
#pragma once

#include <string>

// The folder of the running program file, with its trailing separator.
std::string ProgramFolder();
// Tests point the program folder elsewhere (a trailing "/" is added when missing);
// an empty text goes back to the program file's folder.
void SetProgramFolderOverride(const std::string& folder);
// The gettext catalogues: the "locale" folder beside the program file, or for an
// installed program, which has none there, <prefix>/share/talvor/locale.
std::string TranslationFolder();

// The folder of talvor.ini, with its trailing separator. Files the program
// writes for the user (crash reports, log records) belong here too.
std::string SettingsFolder();
// SettingsFolder() + "talvor.ini".
std::string SettingsPath();
// Creates the settings folder, and any missing folder above it, readable by the
// user alone. True when the folder exists afterwards.
bool CreateSettingsFolder();

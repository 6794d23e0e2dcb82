// The settings file talvor.ini (where it lies: SettingsLocation.h), in the
// Windows profile (INI) text format. Every access opens the file afresh.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "settings/SettingsLocation.h"

// A write the platform refused: "Unable to write to %s" with the settings path.
class ESettingsWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One settings object per handler: opened on a path, released at its end.
class TIniFile {
public:
    explicit TIniFile(std::string path) : path_(std::move(path)) {}
    const std::string& FileName() const { return path_; }

    // The key's value (blanks around it removed, one pair of matching quotes
    // removed), or the default when the file, section or key is missing. Names
    // ignore ASCII case; only the first section of a name and the first
    // occurrence of the key in it count.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // Replaces or adds the one key, keeping every other line of the file: an
    // existing key keeps its spelling from the file, a new one goes after the
    // last key of its section, a new section at the end. The file is replaced
    // atomically (see AtomicFile.h). Throws ESettingsWriteError when refused.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

    // One handler's writes as one replacement of the file: the file is read
    // once, the keys are applied in the order given, each exactly as
    // WriteString applies it, and the file is replaced once. A refusal throws
    // ESettingsWriteError once and leaves every key as it was.
    using KeyValues = std::vector<std::pair<std::string, std::string>>;
    void WriteStrings(const std::string& section, const KeyValues& keys);

private:
    std::string path_;
};

#include "settings/SettingsFile.h"

#include <sys/stat.h>

#include <fstream>

#include "settings/AtomicFile.h"
#include "settings/IniFormat.h"

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    std::ifstream in(path_, std::ios::binary);
    if (!in.is_open()) return defaultValue;
    ini::Scan scan = ini::ScanFor(in, section, key);
    return scan.keyLine >= 0 ? scan.value : defaultValue;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    // The per-user settings folder appears with the first choice written, not before.
    if (path_.substr(0, path_.rfind('/') + 1) == SettingsFolder()) CreateSettingsFolder();
    std::ifstream in(path_, std::ios::binary);
    struct stat st;
    // A file that exists but cannot be read must not be replaced by one holding only this key.
    bool ok = in.is_open() || stat(path_.c_str(), &st) != 0;
    if (ok) {
        ini::Scan scan;
        if (in.is_open()) scan = ini::ScanFor(in, section, key);
        // Without a file the rewrite reads nothing and writes the section and key.
        ok = ReplaceFileContent(path_, [&](const ini::Sink& out) {
            ini::Rewrite(in, scan, section, key, value, out);
            return !in.bad();
        });
    }
    if (!ok) throw ESettingsWriteError("Unable to write to " + path_);
}

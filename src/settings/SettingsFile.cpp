#include "settings/SettingsFile.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "settings/AtomicFile.h"
#include "settings/IniFormat.h"

namespace {

// Opens the file to rewrite it. False when it exists but cannot be read: it
// must not be replaced by one holding only the keys being written.
bool openForRewrite(const std::string& path, std::ifstream& in) {
    // The per-user settings folder appears with the first choice written, not before.
    if (path.substr(0, path.rfind('/') + 1) == SettingsFolder()) CreateSettingsFolder();
    in.open(path, std::ios::binary);
    struct stat st;
    return in.is_open() || stat(path.c_str(), &st) != 0;
}

}  // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    std::ifstream in(path_, std::ios::binary);
    if (!in.is_open()) return defaultValue;
    ini::Scan scan = ini::ScanFor(in, section, key);
    return scan.keyLine >= 0 ? scan.value : defaultValue;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    std::ifstream in;
    bool ok = openForRewrite(path_, in);
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

void TIniFile::WriteStrings(const std::string& section, const KeyValues& keys) {
    if (keys.empty()) return;
    std::ifstream in;
    bool ok = openForRewrite(path_, in);
    // Settings files are small: the batch works on the text in memory.
    std::string content;
    if (ok && in.is_open()) {
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        ok = !in.bad();
    }
    if (ok) {
        for (const auto& [key, value] : keys) {
            std::istringstream text(content);
            const ini::Scan scan = ini::ScanFor(text, section, key);
            std::string next;
            ini::Rewrite(text, scan, section, key, value,
                         [&next](const char* data, std::size_t size) { next.append(data, size); });
            content.swap(next);
        }
        ok = ReplaceFileContent(path_, [&content](const ini::Sink& out) {
            out(content.data(), content.size());
            return true;
        });
    }
    if (!ok) throw ESettingsWriteError("Unable to write to " + path_);
}

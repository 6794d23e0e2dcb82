// The settings file reader and writer fed any file content: writing one key
// keeps every other byte of the file, reading the key back gives the value
// written, every other key reads as before, and writing the same value again
// changes nothing.
//
// Input: "section" NUL "key" NUL "value" NUL, then the file content. Names the
// format cannot hold (empty, with a line break, "=" in a key, "]" in a
// section, blanks around them, starting with ";" or "[") fall back to
// LAST/cmb_port; the value may be anything but NUL.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "FuzzCheck.h"
#include "settings/IniFormat.h"
#include "settings/SettingsFile.h"

namespace {

const char kBlanks[] = " \t";

// A folder in memory where there is one: the writer syncs every file it writes.
std::string folder() {
    // Never destroyed, so the clean-up at exit still finds it.
    static const std::string* path = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string t = std::string(base) + "/talvor-fuzz-XXXXXX";
        if (!mkdtemp(t.data())) std::abort();
        std::atexit([] { (void)std::system(("rm -rf '" + folder() + "'").c_str()); });
        return new std::string(t + "/");
    }();
    return *path;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

bool holdableName(const std::string& name, bool section) {
    if (name.empty() || name.find_first_of("\r\n") != std::string::npos) return false;
    if (name.find(section ? ']' : '=') != std::string::npos) return false;
    if (name.front() == ';' || name.front() == '[') return false;
    return name.find_first_not_of(kBlanks) == 0 &&
           name.find_last_not_of(kBlanks) == name.size() - 1;
}

// The value a written value reads back as: one line, blanks around it and one
// pair of matching quotes removed, as the profile format reads every value.
std::string oneLine(std::string value) {
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    return value;
}

std::string readBack(const std::string& value) {
    std::string v = oneLine(value);
    const size_t b = v.find_first_not_of(kBlanks);
    if (b == std::string::npos) return std::string();
    v = v.substr(b, v.find_last_not_of(kBlanks) + 1 - b);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

// Lines with their line breaks; an unterminated last line as it is.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        const size_t nl = text.find('\n', at);
        const size_t end = nl == std::string::npos ? text.size() : nl + 1;
        lines.push_back(text.substr(at, end - at));
        at = end;
    }
    return lines;
}

std::string withoutBreak(const std::string& line) {
    std::string t = line;
    if (!t.empty() && t.back() == '\n') t.pop_back();
    if (!t.empty() && t.back() == '\r') t.pop_back();
    return t;
}

// (section, key) pairs of a file, to read before and after the write.
std::vector<std::pair<std::string, std::string>> keysOf(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> keys;
    std::string section;
    for (const std::string& raw : linesOf(text)) {
        const ini::Line line = ini::ParseLine(withoutBreak(raw));
        if (line.kind == ini::Line::kSection) section = line.name;
        if (line.kind == ini::Line::kKey && keys.size() < 24) keys.emplace_back(section, line.name);
    }
    return keys;
}

// The new file must be the old one with one key line rewritten, or with the
// key line (and its section header) inserted at one place, nothing else.
void checkOnlyTheKeyChanged(const std::string& before, const std::string& after,
                            const std::string& section, const std::string& key,
                            const std::string& value) {
    if (before == after) return;  // the key line already read so
    const std::vector<std::string> o = linesOf(before), n = linesOf(after);
    size_t head = 0;
    while (head < o.size() && head < n.size() && o[head] == n[head]) ++head;
    size_t tail = 0;
    while (tail < o.size() - head && tail < n.size() - head &&
           o[o.size() - 1 - tail] == n[n.size() - 1 - tail])
        ++tail;
    const std::vector<std::string> removed(o.begin() + head, o.end() - tail);
    std::vector<std::string> added(n.begin() + head, n.end() - tail);
    const std::string detail = "before:\n" + before + "\nafter:\n" + after;

    if (removed.size() == 1 && added.size() == 1) {
        const ini::Line old = ini::ParseLine(withoutBreak(removed[0]));
        FUZZ_CHECK(old.kind == ini::Line::kKey && ini::SameName(old.name, key), detail);
        const std::string breakOf = removed[0].substr(withoutBreak(removed[0]).size());
        FUZZ_CHECK(added[0] == old.name + "=" + oneLine(value) + breakOf, detail);
        return;
    }
    FUZZ_CHECK(removed.size() <= 1, detail);
    if (removed.size() == 1) {
        // An unterminated last line gains a line break before the insertion.
        const std::string& last = removed[0];
        const bool gainsBreak =
            !added.empty() && added[0].compare(0, last.size(), last) == 0 &&
            (added[0].substr(last.size()) == "\n" || added[0].substr(last.size()) == "\r\n");
        FUZZ_CHECK(last.find('\n') == std::string::npos && gainsBreak, detail);
        added.erase(added.begin());
    }
    FUZZ_CHECK(added.size() == 1 || added.size() == 2, detail);
    if (added.size() == 2) FUZZ_CHECK(withoutBreak(added[0]) == "[" + section + "]", detail);
    FUZZ_CHECK(withoutBreak(added.back()) == key + "=" + oneLine(value), detail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string fields[3] = {"LAST", "cmb_port", "7"};
    size_t at = 0;
    for (std::string& field : fields) {
        const size_t nul = input.find('\0', at);
        if (nul == std::string::npos) break;
        field = input.substr(at, nul - at);
        at = nul + 1;
    }
    const std::string content = input.substr(std::min(at, input.size()));
    std::string section = fields[0], key = fields[1];
    const std::string value = fields[2];
    if (!holdableName(section, true) || !holdableName(key, false))
        section = "LAST", key = "cmb_port";

    const std::string path = folder() + "talvor.ini";
    writeFile(path, content);
    TIniFile ini(path);
    const auto others = keysOf(content);
    std::vector<std::string> othersBefore;
    for (const auto& k : others) othersBefore.push_back(ini.ReadString(k.first, k.second, "\1"));

    ini.WriteString(section, key, value);
    const std::string written = readFile(path);
    FUZZ_CHECK(ini.ReadString(section, key, "\1") == readBack(value), "value: " + value);
    checkOnlyTheKeyChanged(content, written, section, key, value);
    for (size_t i = 0; i < others.size(); ++i) {
        if (ini::SameName(others[i].first, section) && ini::SameName(others[i].second, key))
            continue;
        FUZZ_CHECK(ini.ReadString(others[i].first, others[i].second, "\1") == othersBefore[i],
                   "[" + others[i].first + "] " + others[i].second + " changed");
    }
    ini.WriteString(section, key, value);
    FUZZ_CHECK(readFile(path) == written, "writing the same value again changed the file");
    return 0;
}

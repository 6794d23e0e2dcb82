#include "settings/IniFormat.h"

namespace ini {
namespace {

const char kBlanks[] = " \t";

std::string Trim(const std::string& text, std::size_t from, std::size_t to) {
    std::size_t b = text.find_first_not_of(kBlanks, from);
    if (b == std::string::npos || b >= to) return std::string();
    std::size_t e = text.find_last_not_of(kBlanks, to - 1);
    return text.substr(b, e + 1 - b);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// One line of the stream as it was, split from its line break.
struct RawLine {
    std::string text;  // without "\r\n" / "\n"
    bool cr = false;   // a "\r" stood before the break (or at the end of the file)
    bool terminated = false;
};

bool NextLine(std::istream& in, RawLine& line) {
    if (!std::getline(in, line.text)) return false;
    // getline stops at end of file without "\n" only for an unterminated last line.
    line.terminated = !in.eof();
    line.cr = !line.text.empty() && line.text.back() == '\r';
    if (line.cr) line.text.pop_back();
    return true;
}

std::string OneLine(std::string value) {
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    return value;
}

}  // namespace

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

Line ParseLine(const std::string& text) {
    Line line;
    std::size_t start = text.find_first_not_of(kBlanks);
    if (start == std::string::npos || text[start] == ';') return line;
    if (text[start] == '[') {
        // Text after the closing bracket is tolerated, as the profile routines do.
        std::size_t close = text.rfind(']');
        if (close != std::string::npos && close > start) {
            line.kind = Line::kSection;
            line.name = Trim(text, start + 1, close);
            return line;
        }
    }
    std::size_t equals = text.find('=', start);
    if (equals == std::string::npos) return line;
    line.name = Trim(text, start, equals);
    if (line.name.empty()) return line;
    line.kind = Line::kKey;
    line.value = Trim(text, equals + 1, text.size());
    const std::string& v = line.value;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        line.value = v.substr(1, v.size() - 2);
    return line;
}

Scan ScanFor(std::istream& in, const std::string& section, const std::string& key) {
    Scan scan;
    RawLine raw;
    for (long n = 0; NextLine(in, raw); ++n) {
        Line line = ParseLine(raw.text);
        if (line.kind == Line::kSection) {
            if (scan.sectionLine >= 0) break;  // the end of the section we wanted
            if (SameName(line.name, section)) scan.sectionLine = n;
        } else if (line.kind == Line::kKey && scan.sectionLine >= 0) {
            scan.lastKeyLine = n;
            if (SameName(line.name, key)) {
                scan.keyLine = n;
                scan.keyName = line.name;
                scan.value = line.value;
                break;
            }
        }
    }
    return scan;
}

void Rewrite(std::istream& in, const Scan& scan, const std::string& section, const std::string& key,
             const std::string& value, const Sink& out) {
    in.clear();
    in.seekg(0);
    const std::string setting = OneLine(value);
    const long insertAfter = scan.keyLine >= 0       ? -1
                             : scan.lastKeyLine >= 0 ? scan.lastKeyLine
                                                     : scan.sectionLine;
    auto put = [&out](const std::string& text) { out(text.data(), text.size()); };

    std::string newline = "\n";
    bool newlineKnown = false;
    bool lastTerminated = true;
    // Ends an unterminated last line; after a lone CR only the LF is missing,
    // and another CR would become part of the line's value.
    std::string ending = newline;
    RawLine raw;
    for (long n = 0; NextLine(in, raw); ++n) {
        if (raw.terminated && !newlineKnown) {
            newline = raw.cr ? "\r\n" : "\n";
            newlineKnown = true;
        }
        if (n == scan.keyLine)
            put(scan.keyName + "=" + setting);
        else
            put(raw.text);
        put(std::string(raw.cr ? "\r" : "") + (raw.terminated ? "\n" : ""));
        ending = raw.cr ? "\n" : newline;
        if (n == insertAfter) {
            if (!raw.terminated) put(ending);
            put(key + "=" + setting + newline);
        }
        lastTerminated = raw.terminated;
    }
    if (scan.sectionLine < 0) {
        if (!lastTerminated) put(ending);
        put("[" + section + "]" + newline + key + "=" + setting + newline);
    }
}

}  // namespace ini

// The profile (INI) text format: reading one key and rewriting a file with one
// key changed, streaming line by line so that a file of any size or content
// is handled without holding it whole.
#pragma once

#include <cstddef>
#include <functional>
#include <istream>
#include <string>

namespace ini {

// Section and key names compare equal regardless of ASCII case.
bool SameName(const std::string& a, const std::string& b);

struct Line {
    enum Kind { kOther, kSection, kKey };
    Kind kind = kOther;
    std::string name;   // section or key name, blanks removed
    std::string value;  // key value, blanks and one pair of matching quotes removed
};

// Classifies one line (without its line break). Comments (";"), blank lines and
// lines without "=" are kOther.
Line ParseLine(const std::string& text);

// What a pass over the file found for one section and key. Line numbers count
// from 0; -1 means "none".
struct Scan {
    long sectionLine = -1;  // header of the first section of that name
    long lastKeyLine = -1;  // last key line of that section up to where the scan stopped
    long keyLine = -1;      // the key's line in that section
    std::string keyName;    // the key as spelled in the file
    std::string value;
};

// Reads `in` from its current position and stops once the answer is known.
// Only the first section of the name counts, and the first occurrence of the
// key within it, so that a hand-edited file with duplicates reads as before.
Scan ScanFor(std::istream& in, const std::string& section, const std::string& key);

using Sink = std::function<void(const char* data, std::size_t size)>;

// Copies `in` (from its start) to `out` with the key set to `value`, using what
// `scan` found in the same text: an existing key line is rewritten in place as
// "key=value" with the file's spelling of the key and the line's own line break;
// a missing key goes after the last key line of its section (before the blank
// lines and comments that follow it), or right after the header of a section
// without keys; a missing section goes to the end of the file. Added lines take
// the file's first line break ("\r\n" or "\n"; "\n" for a new file). Line
// breaks inside `value` become blanks: they would otherwise add lines.
void Rewrite(std::istream& in, const Scan& scan, const std::string& section, const std::string& key,
             const std::string& value, const Sink& out);

}  // namespace ini

// Comma-separated lines as spreadsheets read them.
#pragma once

#include <string>
#include <vector>

// The fields joined by commas and ended by a line feed. A field holding a
// comma, quote or line end is quoted; one that starts like a spreadsheet
// formula (= + - @) gets a leading apostrophe, since tag data and IDs come
// from outside and a spreadsheet would run them.
std::string CsvLine(const std::vector<std::string>& fields);

// The fields of one line (without its line end), quotes undone.
std::vector<std::string> CsvFields(const std::string& line);

// The configuration report: the lines that describe the module's stored
// configuration, computed from the reply text of Read Config.
#pragma once

#include <string>
#include <vector>

// True when the reply text holds a frame whose length byte is 0x41.
bool IsConfigReply(const std::string& replyText);

// The report lines (starting with the empty line) for a reply that passed
// IsConfigReply. decimalSeparator is the locale's, used for the frequency.
std::vector<std::string> ConfigReportLines(const std::string& replyText, char decimalSeparator);

// 12000 / radf (radf > 0) rounded to at most two decimals, trailing zeros and
// a bare separator dropped ("0.##"); only the separator comes from the caller.
std::string FormatFrequency(int radf, char decimalSeparator);
// The label shown for a stored G code.
std::string GCodeLabel(unsigned code);

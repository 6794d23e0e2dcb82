// How the activity log's lines are written outside the window: time stamps,
// control characters made visible, text encoding and line ends.
#pragma once

#include <cstdint>
#include <string>

// The platform's line end in saved and recorded files.
#ifdef _WIN32
inline constexpr const char* kLogFileLineEnd = "\r\n";
#else
inline constexpr const char* kLogFileLineEnd = "\n";
#endif

// "HH:MM:SS.mmm", local time.
std::string ClockStamp(int64_t msecsSinceEpoch);
// "YYYY-MM-DDTHH:MM:SS.mmm+HH:MM", local time with its offset from UTC.
std::string IsoStamp(int64_t msecsSinceEpoch);

// A log line (UTF-8) as one line of a file: control characters below 0x20
// other than tab become "\xNN", so a line stays a line.
std::string FileLineText(const std::string& line);

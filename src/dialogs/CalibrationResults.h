// The texts a calibration run produces: the result line of a combination that
// read the tag, its parser, and the status line of the combination last tried.
#pragma once

#include <array>
#include <optional>
#include <string>

// "RADF:96   A1:2   A2:3   A3:3   G1:8   G2:24 " (three blanks between the
// fields; the trailing blank ends the G2 value for the parser).
std::string CalibrationResultLine(int radf, int a1, int a2, int a3, const std::string& g1Label,
                                  const std::string& g2Label);

// " RADF: 96 AMP1: 2 AMP2: 3 LPF: 3 G1: 8 G2: 24"
std::string CalibrationStatusLine(const std::string& radf, const std::string& a1,
                                  const std::string& a2, const std::string& a3,
                                  const std::string& g1, const std::string& g2);

// The values of a result line in the order RADF, A1, A2, A3, G1, G2, or
// nothing when the line holds no "RADF:". Each value runs from its label up to
// the next blank (or the end of the line); the value and the two blanks after
// that blank are consumed before the next label. A value whose label does not
// start the rest of the line is missing: it and every later one are empty.
std::optional<std::array<std::string, 6>> ResultLineValues(const std::string& line);

// Module profiles: the module's stored configuration as a small readable
// text file, one section per group of settings that one dialog sets, keys
// named as the configuration report names the fields:
//
//   # TALVOR module profile
//   # Firmware: ZQ361 SIM 1.0
//   # Saved: 2026-12-06 23:40:00 UTC
//   Baud = 19200
//
//   [Calibration Parameters]
//   RADF = 96
//   G1 = 24
//   ...
//
// Baud is not in the configuration block: it is the rate the profile was
// saved at, applied only on request. A section may be left out; a section
// that is there holds every key its group shows.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "module/ModuleCommands.h"

enum class ProfileGroup { TagProgramming, Calibration, AutoMode, Output, ByteTrack, I2C };
constexpr int kProfileGroups = 6;

// The section name of a group.
const char* SectionOf(ProfileGroup group);

struct ModuleProfile {
    ConfigBlock block{};  // the bytes of the fields the profile holds
    bool groups[kProfileGroups] = {};
    std::optional<int> baud;
    bool Has(ProfileGroup g) const { return groups[static_cast<int>(g)]; }
};

// A profile file refused, with the line that made it so (0: the file as a whole).
class ProfileError : public std::runtime_error {
public:
    ProfileError(int line, const std::string& message);
    int Line() const { return line_; }

private:
    int line_;
};

// The time a profile is saved at, as its header gives it (UTC).
std::string ProfileTimeNow();
// The profile text of a configuration block; every group is written.
std::string WriteProfile(const ConfigBlock& block, int baud, const std::string& firmware,
                         const std::string& savedAt);
// Raises ProfileError for an unknown section or key, a value out of range, a
// key given twice, or a section lacking a key its group shows.
ModuleProfile ParseProfile(const std::string& text);

struct FieldDifference {
    std::string section;
    std::string key;
    std::string profile;  // "" when the field is not shown on this side
    std::string module;
};
// The fields of the profile's groups whose values differ from the module's.
std::vector<FieldDifference> CompareProfile(const ModuleProfile& profile,
                                            const ConfigBlock& module);
// "RADF: profile 96, module 95"
std::string DifferenceLine(const FieldDifference& d);

// Every field of the block by name, raw byte(s) and value as the profile
// writes it, for the JSON report.
struct NamedField {
    std::string section;
    std::string key;
    std::vector<int> bytes;  // positions in the block
    std::string value;       // "" when the block does not show the field
};
std::vector<NamedField> NamedFields(const ConfigBlock& block);

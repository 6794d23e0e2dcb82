// Applying a module profile: the set commands that reproduce it, in a safe
// order, each frame built (and so every field checked) before the first is
// sent; then reading the configuration back to compare it field by field.
#pragma once

#include <string>
#include <vector>

#include "module/ModuleExchange.h"
#include "module/ModuleProfile.h"

struct ProfileStep {
    std::string name;            // the command's name, "Set RADF"
    std::vector<uint8_t> frame;  // before the checksum, which sending adds
    const CommandLines* lines = nullptr;
    LineFields values;                // the command's own log fields
    std::vector<std::string> fields;  // the profile keys it writes
};

// Stop Read first; then Set Param, the three calibration commands, Set
// Output Parameters, Set Byte Track, Set I2C and Set Auto Mode (last, since
// enabling it starts reading), each for a group the profile holds; Set Baud
// at the very end, only with `baudToo` and a Baud in the profile. Raises the
// dialogs' conversion errors for a value they would refuse.
std::vector<ProfileStep> PlanApply(const ModuleProfile& profile, bool baudToo);

// The TX lines of the plan, checksums included, for a dry run.
std::vector<std::string> DryRunLines(const std::vector<ProfileStep>& plan);

struct ApplyResult {
    bool done = false;
    Outcome failure = Outcome::Accepted;  // the outcome of the step that failed
    std::string failedCommand;            // its name
    std::vector<std::string> written;     // keys the module accepted
    std::vector<std::string> notWritten;  // keys of the failed step and those after it
    std::string portError;
};

// Runs the plan and stops at the first answer that is not an acceptance.
// An accepted baud rate change is followed by the reminder to reset.
// Tag frames that come while an answer is awaited are skipped, up to three
// per answer.
ApplyResult ApplyProfile(ModuleExchange& exchange, const std::vector<ProfileStep>& plan);

// The one-line summary of a result: "profile applied: ..." or what failed.
std::vector<std::string> ApplyReportLines(const ApplyResult& result);

// Reads the configuration back and compares it with the profile.
struct VerifyResult {
    ExchangeResult read;
    std::vector<FieldDifference> differences;
    bool Equal() const { return read.outcome == Outcome::Accepted && differences.empty(); }
};
VerifyResult CompareWithModule(ModuleExchange& exchange, const ModuleProfile& profile);

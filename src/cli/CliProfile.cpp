// profile save | apply | diff
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/CliCommands.h"
#include "link/CommandTable.h"
#include "link/Conversions.h"
#include "module/ModuleCommands.h"
#include "module/ProfileApply.h"

namespace {

ModuleProfile readProfile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw UsageError(path + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return ParseProfile(text.str());
    } catch (const ProfileError& e) {
        throw UsageError(path + ": " + e.what());
    }
}

ConfigBlock readBlock(CliSession& session, const char* what) {
    const ExchangeResult r = ReadConfig(session.Exchange());
    const auto block = ConfigBlockOf(r);
    if (!block) FailWith(what, r);
    return *block;
}

int save(CliArgs& args, const CommonOptions& common, const std::string& path) {
    args.RequireAllTaken();
    CliSession session(common);
    session.Open();
    const ExchangeResult fw =
        session.Exchange().TryRun(ConstantFrame(Commands::Firmware), MainWindowLines::Firmware);
    if (fw.outcome != Outcome::Accepted || fw.Code() != ReplyCodes::Firmware)
        FailWith("profile save (firmware)", fw);
    const ConfigBlock block = readBlock(session, "profile save");
    const std::string text =
        WriteProfile(block, session.Baud(), ByteCharacters(fw.dataText), ProfileTimeNow());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!(out << text) || !out.flush()) throw UsageError(path + ": cannot be written");
    return kExitDone;
}

int apply(CliArgs& args, const CommonOptions& common, const std::string& path) {
    const bool verify = args.Flag("--verify");
    const bool dryRun = args.Flag("--dry-run");
    const bool baudToo = args.Flag("--baud-too");
    args.RequireAllTaken();
    const ModuleProfile profile = readProfile(path);
    std::vector<ProfileStep> plan;
    try {
        plan = PlanApply(profile, baudToo);
    } catch (const std::runtime_error& e) {
        throw UsageError(path + ": " + e.what());
    }
    if (dryRun) {
        for (const std::string& line : DryRunLines(plan)) std::cout << line << '\n';
        return kExitDone;
    }
    CliSession session(common);
    session.Open();
    const ApplyResult result = ApplyProfile(session.Exchange(), plan);
    const std::vector<std::string> report = ApplyReportLines(result);
    if (!result.done) {
        for (const std::string& line : report)
            std::cerr << "talvor-cli: profile apply: " << line << '\n';
        return StatusOf(result.failure);
    }
    for (const std::string& line : report) std::cout << line << '\n';
    if (baudToo && profile.baud) std::cout << BaudRateLines::ResetToUseNewRate << '\n';
    if (!verify) return kExitDone;
    const VerifyResult v = CompareWithModule(session.Exchange(), profile);
    if (v.read.outcome != Outcome::Accepted) FailWith("profile apply --verify", v.read);
    for (const FieldDifference& d : v.differences)
        std::cerr << "talvor-cli: profile apply --verify: " << DifferenceLine(d) << '\n';
    if (!v.differences.empty()) return kExitModule;
    std::cout << "Verified: every field of the profile reads back equal\n";
    return kExitDone;
}

int diff(CliArgs& args, const CommonOptions& common, const std::string& path) {
    args.RequireAllTaken();
    const ModuleProfile profile = readProfile(path);
    CliSession session(common);
    session.Open();
    const VerifyResult v = CompareWithModule(session.Exchange(), profile);
    if (v.read.outcome != Outcome::Accepted) FailWith("profile diff", v.read);
    for (const FieldDifference& d : v.differences) std::cout << DifferenceLine(d) << '\n';
    return v.differences.empty() ? kExitDone : kExitModule;
}

}  // namespace

int RunProfile(CliArgs& args, const CommonOptions& common) {
    const auto action = args.Positional();
    const auto path = args.Positional();
    if (!action || !path) throw UsageError("profile: give save, apply or diff and a FILE");
    if (*action == "save") return save(args, common, *path);
    if (*action == "apply") return apply(args, common, *path);
    if (*action == "diff") return diff(args, common, *path);
    throw UsageError("profile: unknown action '" + *action + "' (save, apply, diff)");
}

// Tools > Save Module Profile… and Apply Module Profile…: the command line's
// profile code, reporting in the activity log.
#include <QComboBox>
#include <ctime>
#include <fstream>
#include <sstream>

#include "console/CommandExchange.h"
#include "console/MessageBoxes.h"
#include "console/ProfileFileChooser.h"
#include "console/Unit1.h"
#include "console/Widgets.h"
#include "link/CommandTable.h"
#include "link/Conversions.h"
#include "module/ModuleCommands.h"
#include "module/ProfileApply.h"

namespace {

const char kCaption[] = "Module Profile";

}  // namespace

void TForm1::SaveModuleProfile1Click() {
    const std::string path = ChooseProfileFile(true);
    if (path.empty()) return;
    AutoOpen();
    ModuleExchange exchange = WindowExchange();
    const ExchangeResult firmware =
        exchange.Run(ConstantFrame(Commands::Firmware), MainWindowLines::Firmware);
    const ExchangeResult config = ReadConfig(exchange);
    const auto block = ConfigBlockOf(config);
    if (firmware.Code() != ReplyCodes::Firmware || !block) {
        LogLine("Module profile not saved: the module did not answer as expected");
        return;
    }
    const int baud = StrToInt(ToStd(cmb_baud->currentText()));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!(out << WriteProfile(*block, baud, ByteCharacters(firmware.dataText), ProfileTimeNow())) ||
        !out.flush()) {
        Messages().error(path + ": cannot be written");
        return;
    }
    LogLine("Module profile saved to " + path);
}

void TForm1::ApplyModuleProfile1Click() {
    const std::string path = ChooseProfileFile(false);
    if (path.empty()) return;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    ModuleProfile profile;
    std::vector<ProfileStep> plan;
    try {
        if (!in) throw std::runtime_error("cannot be read");
        profile = ParseProfile(text.str());
        // The module's rate is the window's business (Set New Baud Rate).
        plan = PlanApply(profile, false);
    } catch (const std::runtime_error& e) {
        Messages().error(path + ": " + e.what());
        return;
    }
    AutoOpen();
    ModuleExchange exchange = WindowExchange();
    const VerifyResult before = CompareWithModule(exchange, profile);
    if (before.read.outcome != Outcome::Accepted) {
        LogLine("Module profile not applied: the configuration could not be read");
        return;
    }
    std::string question = before.differences.empty()
                               ? "The module already holds every field of the profile.\n"
                               : "The module differs from the profile in:\n";
    for (const FieldDifference& d : before.differences) question += DifferenceLine(d) + "\n";
    if (!Messages().question(question + "\nWrite the profile " + path + " to the module?",
                             kCaption))
        return;
    const ApplyResult result = ApplyProfile(exchange, plan);
    for (const std::string& line : ApplyReportLines(result)) LogLine(line);
    if (!result.done) return;
    const VerifyResult after = CompareWithModule(exchange, profile);
    if (after.Equal()) {
        LogLine("Module profile verified: every field reads back equal");
        return;
    }
    LogLine("Module profile NOT verified:");
    for (const FieldDifference& d : after.differences) LogLine(DifferenceLine(d));
}

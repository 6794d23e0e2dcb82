// talvor-cli: the ZQ361 module's commands from the command line, on the
// engine the window uses.
#include <iostream>
#include <map>

#include "cli/CliCommands.h"
#include "crash/CrashReport.h"
#include "link/EComPort.h"

namespace {

using Runner = int (*)(CliArgs&, const CommonOptions&);

const std::map<std::string, Runner>& commands() {
    static const std::map<std::string, Runner> all{
        {"ports", RunPorts}, {"firmware", RunFirmware}, {"reset", RunReset},    {"sleep", RunSleep},
        {"input", RunInput}, {"output", RunOutput},     {"config", RunConfig},  {"read", RunRead},
        {"set", RunSet},     {"program", RunProgram},   {"profile", RunProfile}};
    return all;
}

int fail(int status, const std::string& message) {
    std::cerr << "talvor-cli: " << message << '\n';
    return status;
}

}  // namespace

int main(int argc, char* argv[]) {
    InstallCrashReporter("talvor-cli");
    CrashIfTestAsks();
    CliArgs args(std::vector<std::string>(argv + 1, argv + argc));
    try {
        const bool help = args.Flag("--help") || args.Flag("-h");
        const CommonOptions common = TakeCommonOptions(args);
        const auto command = args.Positional();
        if (!command) {
            std::cout << HelpText("");
            return help ? kExitDone : kExitUsage;
        }
        const auto runner = commands().find(*command);
        if (runner == commands().end())
            return fail(kExitUsage, "unknown command '" + *command + "' (see --help)");
        if (help) {
            std::cout << HelpText(*command);
            return kExitDone;
        }
        return runner->second(args, common);
    } catch (const UsageError& e) {
        return fail(kExitUsage, e.what());
    } catch (const CliFailure& e) {
        return fail(e.Status(), e.what());
    } catch (const EComPort& e) {
        return fail(kExitPort, std::string("port lost: ") + e.what());
    } catch (const std::exception& e) {
        return fail(kExitModule, e.what());
    }
}

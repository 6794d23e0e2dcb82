// The commands of talvor-cli. Each takes its own options from `args`, prints
// its data on standard output and returns the exit status; failures are
// raised as CliFailure or UsageError.
#pragma once

#include <ostream>
#include <string>

#include "cli/CliArgs.h"
#include "cli/CliSession.h"

int RunPorts(CliArgs& args, const CommonOptions& common);
int RunFirmware(CliArgs& args, const CommonOptions& common);
int RunReset(CliArgs& args, const CommonOptions& common);
int RunSleep(CliArgs& args, const CommonOptions& common);
int RunInput(CliArgs& args, const CommonOptions& common);
int RunOutput(CliArgs& args, const CommonOptions& common);
int RunConfig(CliArgs& args, const CommonOptions& common);
int RunRead(CliArgs& args, const CommonOptions& common);
int RunSet(CliArgs& args, const CommonOptions& common);
int RunProgram(CliArgs& args, const CommonOptions& common);
int RunProfile(CliArgs& args, const CommonOptions& common);

// The help text of the program ("") or of one command; nullptr for none.
const char* HelpText(const std::string& command);

// A JSON string literal of UTF-8 text.
std::string JsonString(const std::string& text);

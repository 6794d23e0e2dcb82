// One run of talvor-cli against a module: the port (a device, or the
// simulated module served in this process), the exchange on it, and the
// exit status that an exchange's outcome stands for.
#pragma once

#include <memory>
#include <string>

#include "cli/CliArgs.h"
#include "module/ModuleExchange.h"

class SimulatorServer;

enum ExitStatus {
    kExitDone = 0,
    kExitModule = 1,  // refused, other code, checksum error, bad length
    kExitUsage = 2,   // bad usage or a refused field
    kExitPort = 3,    // the port could not be opened or was lost
    kExitTimeout = 4,
};
ExitStatus StatusOf(Outcome outcome);

// A failure that ends the run with a status and one line on standard error.
class CliFailure : public std::runtime_error {
public:
    CliFailure(ExitStatus status, const std::string& message)
        : std::runtime_error(message), status_(status) {}
    ExitStatus Status() const { return status_; }

private:
    ExitStatus status_;
};

struct CommonOptions {
    std::string port;
    int baud = 19200;
    int timeoutMs = 0;  // 0: the exchange's own wait
    bool simulator = false;
    bool simulatorTag = false;
    bool verbose = false;
};
// Takes the common options out of the argument list.
CommonOptions TakeCommonOptions(CliArgs& args);

class CliSession {
public:
    explicit CliSession(const CommonOptions& options);
    ~CliSession();  // closes the port, stops the simulated module

    // Opens the port; CliFailure(kExitPort) with the port's message.
    void Open();
    Tcom_form& Port() { return *port_; }
    ModuleExchange& Exchange() { return exchange_; }
    int Baud() const { return options_.baud; }

    // Runs a command; an outcome other than acceptance ends the run with its
    // status, named after `what`.
    ExchangeResult Require(const std::string& what, const FrameBuilder& build,
                           const CommandLines& lines, const LineFields& fields = {});

private:
    CommonOptions options_;
    std::unique_ptr<SimulatorServer> simulator_;
    std::unique_ptr<Tcom_form> port_;
    ModuleExchange exchange_;
};

// "<what>: time-out (no answer from the module)" and the like.
[[noreturn]] void FailWith(const std::string& what, const ExchangeResult& result);

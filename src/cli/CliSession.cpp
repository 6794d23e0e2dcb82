#include "cli/CliSession.h"

#include <iostream>
#include <iterator>

#include "link/CommandTable.h"
#include "link/EComPort.h"
#include "sim/SimulatorServer.h"

ExitStatus StatusOf(Outcome outcome) {
    switch (outcome) {
        case Outcome::Accepted:
            return kExitDone;
        case Outcome::Timeout:
            return kExitTimeout;
        case Outcome::PortError:
            return kExitPort;
        case Outcome::OtherCode:
        case Outcome::ChecksumError:
        case Outcome::BadLength:
            break;
    }
    return kExitModule;
}

void FailWith(const std::string& what, const ExchangeResult& result) {
    std::string message = what + ": " + OutcomeText(result.outcome);
    if (result.outcome == Outcome::PortError) message += " (" + result.portError + ")";
    if (result.outcome == Outcome::Timeout) message += " (no answer from the module)";
    if (result.outcome == Outcome::OtherCode && !result.replyText.empty())
        message +=
            " (" + result.replyText.substr(0, result.replyText.find_last_not_of(' ') + 1) + ")";
    throw CliFailure(StatusOf(result.outcome), message);
}

CommonOptions TakeCommonOptions(CliArgs& args) {
    CommonOptions o;
    if (auto v = args.Value("--port")) o.port = *v;
    if (auto v = args.Value("--baud")) {
        o.baud = NumberIn("--baud", *v, 0, 115200);
        if (std::find(std::begin(kBaudRatesByCode), std::end(kBaudRatesByCode), o.baud) ==
            std::end(kBaudRatesByCode))
            throw UsageError("--baud: '" + *v + "' is not 9600, 19200, 38400, 57600 or 115200");
    }
    if (auto v = args.Value("--timeout-ms")) o.timeoutMs = NumberIn("--timeout-ms", *v, 1, 600000);
    o.simulator = args.Flag("--simulator");
    o.simulatorTag = args.Flag("--simulator-tag");
    o.verbose = args.Flag("-v") || args.Flag("--verbose");
    if (o.simulatorTag && !o.simulator) throw UsageError("--simulator-tag needs --simulator");
    if (o.simulator && !o.port.empty())
        throw UsageError("--port and --simulator exclude each other");
    return o;
}

namespace {

TBaudRate baudRateOf(int baud) {
    switch (baud) {
        case 9600:
            return br9600;
        case 38400:
            return br38400;
        case 57600:
            return br57600;
        case 115200:
            return br115200;
        default:
            return br19200;
    }
}

}  // namespace

CliSession::CliSession(const CommonOptions& options)
    : options_(options),
      port_(std::make_unique<Tcom_form>()),
      exchange_(*port_, [verbose = options.verbose](const std::string& line) {
          if (verbose) std::cerr << line << '\n';
      }) {
    // Every answer is read by the command waiting for it: no line event may
    // read one first.
    port_->comport1.OnRxChar = nullptr;
    // The port's own lines (time-out, checksum) are part of the log too.
    port_->SetLineSink([verbose = options.verbose](const std::string& line) {
        if (verbose) std::cerr << line << '\n';
    });
    if (options.timeoutMs > 0)
        PollLimit = static_cast<int32_t>(
            std::min<int64_t>(int64_t{options.timeoutMs} * 1000 / kPollMicroseconds, INT32_MAX));
}

CliSession::~CliSession() {
    try {
        port_->comport1.Close();
    } catch (const std::exception&) {
        // A device that went away needs no closing.
    }
    port_.reset();
    if (simulator_) simulator_->stop();
}

void CliSession::Open() {
    std::string device = options_.port;
    if (options_.simulator) {
        simulator_ = std::make_unique<SimulatorServer>();
        simulator_->start();
        if (options_.simulatorTag)
            simulator_->withModule([](SimulatedModule& m) { m.setTagInField(true); });
        device = simulator_->devicePath();
    }
    if (device.empty()) throw UsageError("no port given (--port DEVICE, or --simulator)");
    try {
        port_->comport1.SetPort(device);
        port_->comport1.SetBaudRate(baudRateOf(options_.baud));
        port_->comport1.Open();
    } catch (const EComPort& e) {
        throw CliFailure(kExitPort, device + ": " + e.what());
    }
}

ExchangeResult CliSession::Require(const std::string& what, const FrameBuilder& build,
                                   const CommandLines& lines, const LineFields& fields) {
    const ExchangeResult result = exchange_.TryRun(build, lines, fields);
    if (result.outcome != Outcome::Accepted) FailWith(what, result);
    return result;
}

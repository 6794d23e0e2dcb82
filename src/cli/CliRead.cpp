// read: tag frames as they come, until a count, a time-out or Ctrl-C.
#include <sys/time.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>

#include "cli/CliCommands.h"
#include "link/CommandTable.h"
#include "module/ReadCommands.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) { interrupted = 1; }

// 2026-12-06T23:40:01.123Z
std::string timeStamp() {
    timeval now{};
    gettimeofday(&now, nullptr);
    std::tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    char text[40];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + n, sizeof text - n, ".%03dZ", static_cast<int>(now.tv_usec / 1000));
    return text;
}

std::string trimmedHex(const std::string& replyText) {
    return replyText.substr(0, replyText.find_last_not_of(' ') + 1);
}

void printFrame(const ExchangeResult& frame, bool json) {
    const std::vector<uint8_t> bytes = frame.Frame();
    if (!json) {
        std::cout << trimmedHex(frame.replyText) << std::endl;
        return;
    }
    std::string data;
    for (size_t i = 4; i + 1 < bytes.size(); ++i) data += HexText(&bytes[i], 1).substr(0, 2);
    std::cout << "{\"time\": " << JsonString(timeStamp())
              << ", \"frame\": " << JsonString(trimmedHex(frame.replyText))
              << ", \"data\": " << JsonString(data) << "}" << std::endl;
}

}  // namespace

int RunRead(CliArgs& args, const CommonOptions& common) {
    uint8_t type = ReadTypes::Em4100Decoded, blocks = 1;
    std::optional<FourBytes> password;
    int count = 0, timeoutS = 0;
    if (auto v = args.Value("--type")) type = static_cast<uint8_t>(NumberIn("--type", *v, 1, 4));
    if (auto v = args.Value("--blocks"))
        blocks = static_cast<uint8_t>(NumberIn("--blocks", *v, 1, 7));
    if (auto v = args.Value("--password")) password = Hex8("--password", *v);
    const bool once = args.Flag("--once");
    if (auto v = args.Value("--count")) count = NumberIn("--count", *v, 1, 1000000);
    if (auto v = args.Value("--timeout")) timeoutS = NumberIn("--timeout", *v, 1, 86400);
    const bool json = args.Flag("--json");
    args.RequireAllTaken();
    if (once && password) throw UsageError("read: One Shot Read carries no password");
    if (once) count = 1;

    CliSession session(common);
    session.Open();
    ModuleExchange& exchange = session.Exchange();
    const FrameBuilder start = [&](uint8_t* f) {
        return once ? BuildOneShotReadFrame(f, type, blocks)
                    : BuildReadTagFrame(f, type, blocks, password);
    };
    const CommandLines& startLines = once       ? MainWindowLines::OneShotRead
                                     : password ? MainWindowLines::ReadTagWithPassword
                                                : MainWindowLines::ReadTag;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    // A tag frame of auto mode may come before an acknowledgement.
    exchange.SetTagFramesToSkip(3);
    session.Require("read", start, startLines);
    // One Shot Read answers at once when a tag is there; a second is plenty.
    const int waitS = timeoutS > 0 ? timeoutS : once ? 1 : 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(waitS);
    int frames = 0;
    ExitStatus status = kExitDone;
    TCustomComPort& port = session.Port().comport1;
    while (!interrupted && (count == 0 || frames < count)) {
        if (waitS > 0 && std::chrono::steady_clock::now() >= deadline) {
            if (count > 0) status = kExitTimeout;
            break;
        }
        // Short sleeps on the device, so that Ctrl-C is noticed soon.
        if (!port.WaitForInput(100000)) continue;
        ExchangeResult frame;
        exchange.Read(frame.dataText, frame.replyText);
        exchange.Log("RX > " + frame.replyText);
        if (frame.Code() != ReplyCodes::TagFrame) continue;
        printFrame(frame, json);
        ++frames;
        // Without the module's auto mode a read ends with its first tag.
        if (!once && (count == 0 || frames < count) && port.InputCount() == 0)
            session.Require("read", start, startLines);
    }
    if (status == kExitTimeout)
        std::cerr << "talvor-cli: read: " << frames << " of " << count
                  << " tag frames before the time-out\n";
    if (!once) session.Require("read (Stop Read)", BuildStopReadFrame, MainWindowLines::StopRead);
    return status;
}

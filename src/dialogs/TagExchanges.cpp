#include "dialogs/TagExchanges.h"

#include "console/CommandExchange.h"
#include "link/CommandTable.h"
#include "link/TALVOR_comport.h"
#include "module/ModuleCommands.h"

namespace {

std::string joined(const std::array<std::string, 4>& texts) {
    return texts[0] + " " + texts[1] + " " + texts[2] + " " + texts[3];
}

// A tag frame's data bytes: after header, reserved byte, length and code.
std::vector<uint8_t> frameData(const std::vector<uint8_t>& frame) {
    if (frame.size() < 5) return {};
    return std::vector<uint8_t>(frame.begin() + 4, frame.end() - 1);
}

}  // namespace

std::vector<uint8_t> BytesOfHexText(const std::string& text) {
    auto digit = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 3) {
        const int hi = digit(text[i]), lo = digit(text[i + 1]);
        if (hi < 0 || lo < 0) return {};
        bytes.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    return bytes;
}

bool WriteBlock(int n, const FourBytes& data, const std::array<std::string, 4>& dataTexts,
                const std::optional<FourBytes>& password,
                const std::array<std::string, 4>& passwordTexts) {
    // Writing a transponder takes longer than the module's other commands.
    // The normal limit comes back on every way out, a port error included.
    struct NormalLimitOnExit {
        ~NormalLimitOnExit() { PollLimit = kNormalPollLimit; }
    } restore;
    PollLimit = kProgrammingPollLimit;
    const ExchangeResult result = RunCommand(
        [&](uint8_t* frame) {
            return BuildProgramBlockFrame(frame, static_cast<uint8_t>(n), data, password);
        },
        password ? TagProgrammingLines::ProgramBlockWithPassword
                 : TagProgrammingLines::ProgramBlock,
        {{"block", std::to_string(n)},
         {"fields", joined(dataTexts)},
         {"password", joined(passwordTexts)}});
    return result.matched == 0;
}

std::optional<std::vector<uint8_t>> ReadTagOnce(uint8_t readType, uint8_t blocks) {
    const ExchangeResult ack = RunCommand(
        [&](uint8_t* f) {
            BuildFrame(f, Commands::OneShotRead, {readType, blocks, 0x01});
            return Commands::OneShotRead.frameSize;
        },
        MainWindowLines::OneShotRead);
    if (ack.matched != 0) return std::nullopt;
    std::string dataText, replyText;
    ReadCommandResponse(dataText, replyText);
    if (ReplyCode(replyText).empty()) return std::nullopt;  // ReadResponse logged why
    LogLine("RX > " + replyText);
    if (ReplyCode(replyText) != "10") return std::nullopt;
    return frameData(BytesOfHexText(replyText));
}

std::optional<std::vector<uint8_t>> ReadConfigBlock() {
    AutoOpen();
    ModuleExchange exchange = WindowExchange();
    const std::optional<ConfigBlock> block = ConfigBlockOf(ReadConfig(exchange));
    if (!block) return std::nullopt;
    return std::vector<uint8_t>(block->begin(), block->end());
}

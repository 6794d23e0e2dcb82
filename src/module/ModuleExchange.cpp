#include "module/ModuleExchange.h"

#include "link/CommandTable.h"
#include "link/Conversions.h"
#include "link/EComPort.h"

namespace {

Outcome outcomeOf(ResponseStatus status) {
    switch (status) {
        case ResponseStatus::Timeout:
            return Outcome::Timeout;
        case ResponseStatus::ChecksumError:
            return Outcome::ChecksumError;
        case ResponseStatus::BadLength:
            return Outcome::BadLength;
        case ResponseStatus::Frame:
        case ResponseStatus::NotAFrame:
            break;
    }
    return Outcome::OtherCode;
}

int lengthByteOf(const std::string& replyText) {
    return replyText.size() >= 8 ? HexPairToByte(replyText.substr(6, 2)) : -1;
}

}  // namespace

const char* OutcomeText(Outcome outcome) {
    switch (outcome) {
        case Outcome::Accepted:
            return "accepted";
        case Outcome::OtherCode:
            return "unexpected answer";
        case Outcome::Timeout:
            return "time-out";
        case Outcome::ChecksumError:
            return "checksum error";
        case Outcome::BadLength:
            return "bad length";
        case Outcome::PortError:
            return "port error";
    }
    return "?";
}

std::string ReplyCodeText(int code) {
    if (code < 0) return {};
    const uint8_t byte = static_cast<uint8_t>(code);
    return HexText(&byte, 1).substr(0, 2);
}

int ExchangeResult::Code() const {
    const std::string code = ReplyCode(replyText);
    return code.empty() ? -1 : HexPairToByte(code);
}

std::vector<uint8_t> ExchangeResult::Frame() const {
    std::vector<uint8_t> bytes;
    if (ReplyCode(replyText).empty()) return bytes;
    for (size_t i = 0; i + 1 < replyText.size(); i += 3)
        bytes.push_back(HexPairToByte(replyText.substr(i, 2)));
    return bytes;
}

ModuleExchange::ModuleExchange(Tcom_form& port, LineSink log) : port_(port), log_(std::move(log)) {}

void ModuleExchange::Log(const std::string& line) const {
    if (log_) log_(line);
}

std::string ModuleExchange::Send(const uint8_t* frame, int size) {
    return port_.SendFrame(frame, size);
}

ResponseStatus ModuleExchange::Read(std::string& dataText, std::string& replyText) {
    return port_.ReadResponse(dataText, replyText);
}

ExchangeResult ModuleExchange::Run(const FrameBuilder& build, const CommandLines& lines,
                                   const LineFields& fields, int lengthByte) {
    TFrameBuffer frame{};
    const int size = build(frame);
    ExchangeResult result;
    result.hexText = Send(frame, size);
    LineFields values = fields;
    values.emplace_back("frame", result.hexText);
    Log(FormatLine(lines.sent, values));

    bool tagCodeAccepted = false;
    for (const auto& reply : lines.replies) tagCodeAccepted |= reply.code == ReplyCodes::TagFrame;
    ResponseStatus status = Read(result.dataText, result.replyText);
    for (int skipped = 0; skipped < tagFramesToSkip_ && !tagCodeAccepted &&
                          status == ResponseStatus::Frame && result.Code() == ReplyCodes::TagFrame;
         ++skipped) {
        Log("RX > " + result.replyText);
        result.dataText.clear();
        status = Read(result.dataText, result.replyText);
    }
    values.emplace_back("reply", result.replyText);
    values.emplace_back("data", ByteCharacters(result.dataText));
    result.outcome = outcomeOf(status);

    const std::string code = ReplyCode(result.replyText);
    for (size_t i = 0; i < lines.replies.size() && status == ResponseStatus::Frame; ++i) {
        const int expected = lines.replies[i].code;
        const bool matches = lengthByte >= 0 ? expected == CommandLines::kAnyCode &&
                                                   lengthByteOf(result.replyText) == lengthByte
                                             : expected >= 0 && code == ReplyCodeText(expected);
        if (!matches) continue;
        result.matched = static_cast<int>(i);
        result.outcome =
            expected == ReplyCodes::FlashError ? Outcome::OtherCode : Outcome::Accepted;
        Log(FormatLine(lines.replies[i].line, values));
        return result;
    }
    if (status == ResponseStatus::Frame && lengthByte >= 0) result.outcome = Outcome::BadLength;
    Log(FormatLine(lines.otherwise, values));
    return result;
}

ExchangeResult ModuleExchange::TryRun(const FrameBuilder& build, const CommandLines& lines,
                                      const LineFields& fields, int lengthByte) {
    try {
        return Run(build, lines, fields, lengthByte);
    } catch (const EComPort& e) {
        ExchangeResult result;
        result.outcome = Outcome::PortError;
        result.portError = e.what();
        return result;
    }
}

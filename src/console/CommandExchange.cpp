#include "console/CommandExchange.h"

#include "console/Unit1.h"
#include "link/Conversions.h"
#include "link/TALVOR_comport.h"

void AutoOpen() {
    if (!com_form->comport1.Connected()) Form1->btn_openClick();
}

void LogLine(const std::string& line) { Form1->AppendLine(line); }

std::string SendCommandFrame(const uint8_t* frame, int size) {
    return com_form->SendFrame(frame, size);
}

void ReadCommandResponse(std::string& dataText, std::string& replyText) {
    com_form->ReadResponse(dataText, replyText);
}

ExchangeResult RunCommand(const FrameBuilder& build, const CommandLines& lines,
                          const LineFields& fields) {
    AutoOpen();
    TFrameBuffer frame{};
    const int size = build(frame);
    ExchangeResult result;
    result.hexText = SendCommandFrame(frame, size);
    LineFields values = fields;
    values.emplace_back("frame", result.hexText);
    LogLine(FormatLine(lines.sent, values));
    ReadCommandResponse(result.dataText, result.replyText);
    values.emplace_back("reply", result.replyText);
    values.emplace_back("data", ByteCharacters(result.dataText));

    const std::string code = ReplyCode(result.replyText);
    for (size_t i = 0; i < lines.replies.size(); ++i) {
        const int expected = lines.replies[i].code;
        const uint8_t byte = static_cast<uint8_t>(expected);
        if (!code.empty() && expected >= 0 && code == HexText(&byte, 1).substr(0, 2)) {
            result.matched = static_cast<int>(i);
            LogLine(FormatLine(lines.replies[i].line, values));
            return result;
        }
    }
    LogLine(FormatLine(lines.otherwise, values));
    return result;
}

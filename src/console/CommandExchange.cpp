#include "console/CommandExchange.h"

#include "console/Unit1.h"
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

ExchangeResult RunCommand(const FrameBuilder& build, const std::string& txPrefix,
                          const std::vector<ReplyLine>& replies, const std::string& txSuffix) {
    AutoOpen();
    TFrameBuffer frame{};
    const int size = build(frame);
    ExchangeResult result;
    result.hexText = SendCommandFrame(frame, size);
    LogLine(txPrefix + result.hexText + txSuffix);
    ReadCommandResponse(result.dataText, result.replyText);
    const std::string code = ReplyCode(result.replyText);
    for (size_t i = 0; i < replies.size(); ++i) {
        if (!code.empty() && code == replies[i].code) {
            result.matched = static_cast<int>(i);
            const ReplyLine& r = replies[i];
            LogLine((r.prefixWithData ? r.prefixWithData(result.dataText) : r.prefix) +
                    result.replyText);
            return result;
        }
    }
    LogLine("RX > Unrecognized Response!\t\t\t" + result.replyText);
    return result;
}

#include "console/CommandExchange.h"

#include "console/Unit1.h"
#include "link/TALVOR_comport.h"

void AutoOpen() {
    if (!com_form->comport1.Connected()) Form1->btn_openClick();
}

void LogLine(const std::string& line) { Form1->AppendLine(line); }

ModuleExchange WindowExchange() { return ModuleExchange(*com_form, LogLine); }

std::string SendCommandFrame(const uint8_t* frame, int size) {
    return WindowExchange().Send(frame, size);
}

void ReadCommandResponse(std::string& dataText, std::string& replyText) {
    WindowExchange().Read(dataText, replyText);
}

ExchangeResult RunCommand(const FrameBuilder& build, const CommandLines& lines,
                          const LineFields& fields) {
    AutoOpen();
    return WindowExchange().Run(build, lines, fields);
}

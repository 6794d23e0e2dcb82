// The configuration report, reached through Tools > Get ZQ361 Configuration.
#include <clocale>

#include "console/CommandExchange.h"
#include "console/ConfigReport.h"
#include "console/Unit1.h"
#include "link/CommandTable.h"
#include "link/TALVOR_comport.h"

void TForm1::btn_configClick() {
    const CommandLines& lines = MainWindowLines::ReadConfig;
    AutoOpen();
    TFrameBuffer frame{};
    BuildFrame(frame, Commands::ReadConfig, {});
    const std::string hex = SendCommandFrame(frame, Commands::ReadConfig.frameSize);
    LogLine(FormatLine(lines.sent, {{"frame", hex}}));
    std::string dataText, replyText;
    ReadCommandResponse(dataText, replyText);
    // The reply code is not examined: any code with the full length is reported.
    if (!IsConfigReply(replyText)) {
        LogLine(FormatLine(lines.otherwise, {{"reply", replyText}}));
        return;
    }
    LogLine(FormatLine(lines.replies.front().line, {{"reply", replyText}}));
    const char separator = std::localeconv()->decimal_point[0];
    for (const std::string& line : ConfigReportLines(replyText, separator ? separator : '.'))
        LogLine(line);
}

void TForm1::GetModuleParameters1Click() { btn_configClick(); }

// The configuration report, reached through Tools > Get ZQ361 Configuration.
#include <clocale>

#include "console/CommandExchange.h"
#include "console/Unit1.h"
#include "module/ConfigReport.h"
#include "module/ModuleCommands.h"

void TForm1::btn_configClick() {
    AutoOpen();
    ModuleExchange exchange = WindowExchange();
    // The reply code is not examined: any code with the full length is reported.
    const ExchangeResult result = ReadConfig(exchange);
    if (result.outcome != Outcome::Accepted) return;
    const char separator = std::localeconv()->decimal_point[0];
    for (const std::string& line : ConfigReportLines(result.replyText, separator ? separator : '.'))
        LogLine(line);
}

void TForm1::GetModuleParameters1Click() { btn_configClick(); }

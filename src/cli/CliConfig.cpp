// config and ports: what the module and the system tell.
#include <clocale>
#include <cstdio>
#include <iostream>

#include "cli/CliCommands.h"
#include "link/CPort.h"
#include "module/ConfigReport.h"
#include "module/DeviceInfo.h"
#include "module/ModuleCommands.h"
#include "module/ModuleProfile.h"

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

int RunConfig(CliArgs& args, const CommonOptions& common) {
    const bool json = args.Flag("--json");
    args.RequireAllTaken();
    CliSession session(common);
    session.Open();
    const ExchangeResult r = ReadConfig(session.Exchange());
    const auto block = ConfigBlockOf(r);
    if (!block) FailWith("config", r);
    if (!json) {
        const char separator = std::localeconv()->decimal_point[0];
        for (const std::string& line : ConfigReportLines(r.replyText, separator ? separator : '.'))
            std::cout << line << '\n';
        return kExitDone;
    }
    std::cout
        << "{\"block\": \""
        << HexText(block->data(), static_cast<int>(block->size())).substr(0, block->size() * 3 - 1)
        << "\",\n \"fields\": [";
    bool first = true;
    for (const NamedField& f : NamedFields(*block)) {
        std::cout << (first ? "\n" : ",\n") << "  {\"section\": " << JsonString(f.section)
                  << ", \"name\": " << JsonString(f.key) << ", \"bytes\": [";
        for (size_t i = 0; i < f.bytes.size(); ++i) std::cout << (i ? ", " : "") << f.bytes[i];
        std::cout << "], \"raw\": [";
        for (size_t i = 0; i < f.bytes.size(); ++i)
            std::cout << (i ? ", " : "") << int((*block)[static_cast<size_t>(f.bytes[i])]);
        std::cout << "], \"value\": "
                  << (f.value.empty() && f.key != "Track" ? "null" : JsonString(f.value)) << "}";
        first = false;
    }
    std::cout << "\n ]}\n";
    return kExitDone;
}

int RunPorts(CliArgs& args, const CommonOptions&) {
    const bool json = args.Flag("--json");
    args.RequireAllTaken();
    std::vector<std::string> ports;
    EnumComPorts(ports);
    if (json) std::cout << "[";
    for (size_t i = 0; i < ports.size(); ++i) {
        const std::string description = DescribeDevice(ReadDeviceInfo(ports[i], PortFolders{}));
        if (json)
            std::cout << (i ? ",\n " : "\n ") << "{\"device\": " << JsonString(ports[i])
                      << ", \"description\": " << JsonString(description) << "}";
        else
            std::cout << ports[i] << (description.empty() ? "" : "\t" + description) << '\n';
    }
    if (json) std::cout << (ports.empty() ? "]\n" : "\n]\n");
    return kExitDone;
}

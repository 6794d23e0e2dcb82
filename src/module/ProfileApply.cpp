#include "module/ProfileApply.h"

#include <cstdio>
#include <iterator>

#include "link/CommandTable.h"
#include "module/BaudRateFrame.h"
#include "module/ByteTrack.h"
#include "module/CalibrationCommands.h"
#include "module/ConfigReport.h"
#include "module/I2CFrame.h"
#include "module/OutputSelection.h"
#include "module/ReadCommands.h"
#include "module/TagProgramming.h"

namespace {

std::string hex2(unsigned v) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", v & 0xFFu);
    return buf;
}

ProfileStep step(const char* name, const FrameBuilder& build, const CommandLines& lines,
                 LineFields values, std::vector<std::string> fields) {
    TFrameBuffer frame{};
    const int size = build(frame);
    return {name, std::vector<uint8_t>(frame, frame + size), &lines, std::move(values),
            std::move(fields)};
}

FrameBuilder builderOf(const ProfileStep& s) {
    return [&s](uint8_t* frame) {
        std::copy(s.frame.begin(), s.frame.end(), frame);
        return static_cast<int>(s.frame.size());
    };
}

}  // namespace

std::vector<ProfileStep> PlanApply(const ModuleProfile& p, bool baudToo) {
    const ConfigBlock& b = p.block;
    using G = ProfileGroup;
    std::vector<ProfileStep> plan;
    plan.push_back(step("Stop Read", BuildStopReadFrame, MainWindowLines::StopRead, {}, {}));
    if (p.Has(G::TagProgramming)) {
        const ProgrammingParameters params{b[0], b[1], b[2], b[3], b[4]};
        plan.push_back(step("Set Param", [&](uint8_t* f) { return BuildSetParamFrame(f, params); },
                            ProgrammingParametersLines::SetParam, {},
                            {"WG", "SG", "ONE", "ZERO", "PADF"}));
    }
    if (p.Has(G::Calibration)) {
        plan.push_back(step("Set RADF", [&](uint8_t* f) { return BuildSetRadfFrame(f, b[5]); },
                            CalibrationLines::SetRadf, {{"radf", hex2(b[5])}}, {"RADF"}));
        plan.push_back(step("Set G1/G2", [&](uint8_t* f) { return BuildSetGFrame(f, b[7], b[8]); },
                            CalibrationLines::SetG,
                            {{"g1", GCodeLabel(b[7])}, {"g2", GCodeLabel(b[8])}}, {"G1", "G2"}));
        plan.push_back(step("Set A1/A2/A3",
                            [&](uint8_t* f) { return BuildSetAFrame(f, b[9], b[10], b[11]); },
                            CalibrationLines::SetA,
                            {{"a1", std::to_string(b[9])},
                             {"a2", std::to_string(b[10])},
                             {"a3", std::to_string(b[11])}},
                            {"A1", "A2", "A3"}));
    }
    if (p.Has(G::Output)) {
        OutputChoices c;
        c.uart = b[26] & 0x80;
        c.responseType = b[26] & 0x01;
        c.cr = b[26] & 0x04;
        c.lf = b[26] & 0x02;
        c.wiegand = b[27] & 0x80;
        c.facilitySource = (b[27] & 0x01) ? 0 : b[28] + 1;
        c.facilityCode = hex2(b[28]);
        c.id1 = b[29];
        c.id2 = b[30];
        c.output0 = b[31] != 0;
        c.highTime = std::to_string(b[31]);
        const auto selection = OutputSelectionBytes(c);
        const uint8_t highTime = HighTimeByte(c.output0, c.highTime).value_or(0);
        plan.push_back(
            step("Set Output Parameters",
                 [&](uint8_t* f) { return BuildOutputParametersFrame(f, selection, highTime); },
                 OutputSelectionLines::SetOutputParameters, {},
                 {"UART", "UART Output Type", "CR", "LF", "Wiegand", "Facility Byte",
                  "Identification Code", "Output0 P0[5] High Time"}));
    }
    if (p.Has(G::ByteTrack)) {
        const std::array<std::string, kTrackFields> texts{hex2(b[33]), hex2(b[34]), hex2(b[35]),
                                                          hex2(b[36])};
        plan.push_back(
            step("Set Byte Track",
                 [&](uint8_t* f) { return BuildByteTrackFrame(f, std::to_string(b[32]), texts); },
                 ByteTrackLines::SetByteTrack, {}, {"Track"}));
    }
    if (p.Has(G::I2C)) {
        plan.push_back(step(
            "Set I2C", [&](uint8_t* f) { return BuildSetI2CFrame(f, b[37] != 0, hex2(b[38])); },
            I2CLines::SetI2C, {}, {"I2C", "Slave Address"}));
    }
    if (p.Has(G::AutoMode)) {
        AutoModeSettings s;
        s.enabled = b[23] != 0;
        s.readType = b[24];
        s.blocks = b[25];
        s.sendPassword = b[18] != 0;
        s.password = {b[19], b[20], b[21], b[22]};
        plan.push_back(step("Set Auto Mode",
                            [&](uint8_t* f) { return BuildSetAutoModeFrame(f, s); },
                            MainWindowLines::SetAutoMode, {},
                            {"Auto Read Mode", "Send Password", "Password", "Read Type",
                             "Number of blocks to be read"}));
    }
    if (baudToo && p.baud) {
        const auto at =
            std::find(std::begin(kBaudRatesByCode), std::end(kBaudRatesByCode), *p.baud);
        const uint8_t code = BaudCodeOf(static_cast<int>(at - std::begin(kBaudRatesByCode)),
                                        std::to_string(*p.baud));
        plan.push_back(step("Set Baud", [&](uint8_t* f) { return BuildSetBaudFrame(f, code); },
                            BaudRateLines::SetBaud, {}, {"Baud"}));
    }
    return plan;
}

std::vector<std::string> DryRunLines(const std::vector<ProfileStep>& plan) {
    std::vector<std::string> lines;
    for (const ProfileStep& s : plan) {
        std::vector<uint8_t> frame = s.frame;
        frame.back() = FrameChecksum(frame.data(), static_cast<int>(frame.size()));
        LineFields values = s.values;
        values.emplace_back("frame", HexText(frame.data(), static_cast<int>(frame.size())));
        lines.push_back(FormatLine(s.lines->sent, values));
    }
    return lines;
}

ApplyResult ApplyProfile(ModuleExchange& exchange, const std::vector<ProfileStep>& plan) {
    ApplyResult result;
    exchange.SetTagFramesToSkip(3);
    for (size_t i = 0; i < plan.size(); ++i) {
        const ProfileStep& s = plan[i];
        const ExchangeResult r = exchange.TryRun(builderOf(s), *s.lines, s.values);
        if (r.outcome == Outcome::Accepted) {
            result.written.insert(result.written.end(), s.fields.begin(), s.fields.end());
            if (s.lines == &BaudRateLines::SetBaud) exchange.Log(BaudRateLines::ResetToUseNewRate);
            continue;
        }
        result.failure = r.outcome;
        result.portError = r.portError;
        result.failedCommand = s.name;
        for (size_t j = i; j < plan.size(); ++j)
            result.notWritten.insert(result.notWritten.end(), plan[j].fields.begin(),
                                     plan[j].fields.end());
        return result;
    }
    result.done = true;
    return result;
}

std::vector<std::string> ApplyReportLines(const ApplyResult& r) {
    auto joined = [](const std::vector<std::string>& keys) {
        std::string out;
        for (const std::string& k : keys) out += (out.empty() ? "" : ", ") + k;
        return out.empty() ? std::string("none") : out;
    };
    if (r.done) return {"Profile applied; written: " + joined(r.written)};
    std::string why = OutcomeText(r.failure);
    if (!r.portError.empty()) why += " (" + r.portError + ")";
    return {"Profile NOT applied: \"" + r.failedCommand + "\" failed: " + why,
            "Written: " + joined(r.written), "Not written: " + joined(r.notWritten)};
}

VerifyResult CompareWithModule(ModuleExchange& exchange, const ModuleProfile& profile) {
    VerifyResult v;
    exchange.SetTagFramesToSkip(3);
    v.read = ReadConfig(exchange);
    if (const auto block = ConfigBlockOf(v.read)) v.differences = CompareProfile(profile, *block);
    return v;
}

// The single commands: housekeeping, the set commands and programming.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <sstream>

#include "cli/CliCommands.h"
#include "link/CommandTable.h"
#include "link/Conversions.h"
#include "module/BaudRateFrame.h"
#include "module/ByteTrack.h"
#include "module/CalibrationCommands.h"
#include "module/I2CFrame.h"
#include "module/ModuleCommands.h"
#include "module/OutputSelection.h"
#include "module/ReadCommands.h"
#include "module/TagProgramming.h"

namespace {

std::string hex2(unsigned v) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", v & 0xFFu);
    return buf;
}

std::string joined(const FourBytes& b) {
    return hex2(b[0]) + " " + hex2(b[1]) + " " + hex2(b[2]) + " " + hex2(b[3]);
}

// A frame builder that converts fields runs before anything is sent, so a
// refusal of the dialogs' builders is a refused field (exit status 2).
FrameBuilder checked(const FrameBuilder& build) {
    TFrameBuffer probe{};
    try {
        build(probe);
    } catch (const EConvertError& e) {
        throw UsageError(e.what());
    } catch (const std::runtime_error& e) {
        throw UsageError(e.what());
    }
    return build;
}

int simple(CliArgs& args, const CommonOptions& common, const char* what, const CommandSpec& command,
           const CommandLines& lines) {
    args.RequireAllTaken();
    CliSession session(common);
    session.Open();
    session.Require(what, ConstantFrame(command), lines);
    return kExitDone;
}

int setAuto(CliArgs& args, CliSession& session) {
    AutoModeSettings s;
    const bool enable = args.Flag("--enable"), disable = args.Flag("--disable");
    if (enable == disable) throw UsageError("set auto: give --enable or --disable");
    s.enabled = enable;
    if (auto v = args.Value("--type"))
        s.readType = static_cast<uint8_t>(NumberIn("--type", *v, 1, 4));
    if (auto v = args.Value("--blocks"))
        s.blocks = static_cast<uint8_t>(NumberIn("--blocks", *v, 1, 7));
    s.sendPassword = args.Flag("--send-password");
    if (auto v = args.Value("--password")) s.password = Hex8("--password", *v);
    args.RequireAllTaken();
    session.Open();
    session.Require(
        "set auto", [&](uint8_t* f) { return BuildSetAutoModeFrame(f, s); },
        MainWindowLines::SetAutoMode);
    return kExitDone;
}

int setOutput(CliArgs& args, CliSession& session) {
    OutputChoices c;
    if (auto v = args.Value("--uart")) {
        c.uart = true;
        if (*v != "ascii" && *v != "protocol")
            throw UsageError("--uart: '" + *v + "' is not ascii or protocol");
        c.responseType = *v == "protocol" ? 1 : 0;
    }
    c.cr = args.Flag("--cr");
    c.lf = args.Flag("--lf");
    c.wiegand = args.Flag("--wiegand");
    if (auto v = args.Value("--facility"))
        c.facilitySource = NumberIn("--facility", *v, 1, kTagDataBytes);
    if (auto v = args.Value("--facility-code")) {
        c.facilitySource = 0;
        c.facilityCode = *v;
    }
    if (auto v = args.Value("--id1")) c.id1 = NumberIn("--id1", *v, 1, kTagDataBytes) - 1;
    if (auto v = args.Value("--id2")) c.id2 = NumberIn("--id2", *v, 1, kTagDataBytes) - 1;
    if (auto v = args.Value("--output0")) {
        c.output0 = true;
        c.highTime = *v;
    }
    args.RequireAllTaken();
    const FrameBuilder build = checked([c](uint8_t* f) {
        const auto selection = OutputSelectionBytes(c);
        const auto highTime = HighTimeByte(c.output0, c.highTime);
        if (!highTime)
            throw UsageError("--output0: '" + c.highTime + "' is above " +
                             std::to_string(kMaxHighTime));
        return BuildOutputParametersFrame(f, selection, *highTime);
    });
    session.Open();
    session.Require("set output", build, OutputSelectionLines::SetOutputParameters);
    return kExitDone;
}

int setByteTrack(CliArgs& args, CliSession& session) {
    const auto track = args.Value("--track");
    if (!track) throw UsageError("set bytetrack: give --track 'HH [HH [HH [HH]]]'");
    args.RequireAllTaken();
    std::istringstream in(*track);
    std::array<std::string, kTrackFields> texts;
    int count = 0;
    for (std::string pair; in >> pair; ++count) {
        if (count == kTrackFields) throw UsageError("--track: at most four bytes");
        if (pair.size() != 2)
            throw UsageError("--track: '" + pair + "' is not two hexadecimal digits");
        texts[count] = pair;
    }
    if (count == 0) throw UsageError("--track: at least one byte");
    const FrameBuilder build =
        checked([=](uint8_t* f) { return BuildByteTrackFrame(f, std::to_string(count), texts); });
    session.Open();
    session.Require("set bytetrack", build, ByteTrackLines::SetByteTrack);
    return kExitDone;
}

int setI2C(CliArgs& args, CliSession& session) {
    const bool enable = args.Flag("--enable"), disable = args.Flag("--disable");
    if (enable == disable) throw UsageError("set i2c: give --enable or --disable");
    const std::string address = args.Value("--address").value_or("");
    if (enable && address.size() != 2)
        throw UsageError("set i2c: --enable needs --address HH (two hexadecimal digits)");
    args.RequireAllTaken();
    const FrameBuilder build =
        checked([=](uint8_t* f) { return BuildSetI2CFrame(f, enable, address); });
    session.Open();
    session.Require("set i2c", build, I2CLines::SetI2C);
    return kExitDone;
}

uint8_t gainCode(const std::string& option, const std::string& label) {
    for (const GCode& g : kGCodeTable)
        if (label == g.label) return g.code;
    throw UsageError(
        option + ": '" + label +
        "' is not a gain of the table (1, 1.14, 1.46, 1.78, 2, 3.2, 4, 5.3, 8, 16, 24, 48)");
}

int setCalibration(CliArgs& args, CliSession& session) {
    const auto radf = args.Value("--radf");
    const auto g1 = args.Value("--g1"), g2 = args.Value("--g2");
    const auto a1 = args.Value("--a1"), a2 = args.Value("--a2"), a3 = args.Value("--a3");
    args.RequireAllTaken();
    if (!radf && !g1 && !g2 && !a1 && !a2 && !a3)
        throw UsageError("set calibration: give --radf, --g1/--g2 or --a1/--a2/--a3");
    if (bool(g1) != bool(g2)) throw UsageError("set calibration: --g1 and --g2 go together");
    if (!(bool(a1) == bool(a2) && bool(a2) == bool(a3)))
        throw UsageError("set calibration: --a1, --a2 and --a3 go together");
    // Every value is checked before the first command goes out.
    const int r = radf ? NumberIn("--radf", *radf, 92, 100) : 0;
    const uint8_t c1 = g1 ? gainCode("--g1", *g1) : 0, c2 = g2 ? gainCode("--g2", *g2) : 0;
    const int v1 = a1 ? NumberIn("--a1", *a1, 1, 3) : 0;
    const int v2 = a2 ? NumberIn("--a2", *a2, 1, 3) : 0;
    const int v3 = a3 ? NumberIn("--a3", *a3, 1, 3) : 0;
    session.Open();
    if (radf)
        session.Require("set calibration (RADF)",
                        [r](uint8_t* f) { return BuildSetRadfFrame(f, static_cast<uint8_t>(r)); },
                        CalibrationLines::SetRadf, {{"radf", hex2(static_cast<unsigned>(r))}});
    if (g1)
        session.Require("set calibration (G1/G2)",
                        [=](uint8_t* f) { return BuildSetGFrame(f, c1, c2); },
                        CalibrationLines::SetG, {{"g1", *g1}, {"g2", *g2}});
    if (a1)
        session.Require(
            "set calibration (A1/A2/A3)",
            [=](uint8_t* f) {
                return BuildSetAFrame(f, static_cast<uint8_t>(v1), static_cast<uint8_t>(v2),
                                      static_cast<uint8_t>(v3));
            },
            CalibrationLines::SetA,
            {{"a1", std::to_string(v1)}, {"a2", std::to_string(v2)}, {"a3", std::to_string(v3)}});
    return kExitDone;
}

int setParam(CliArgs& args, CliSession& session) {
    std::string texts[5];
    const char* names[5] = {"--wg", "--sg", "--one", "--zero", "--padf"};
    for (int i = 0; i < 5; ++i) {
        const auto v = args.Value(names[i]);
        if (!v) throw UsageError(std::string("set param: give ") + names[i]);
        texts[i] = *v;
    }
    args.RequireAllTaken();
    const FrameBuilder build = checked([=](uint8_t* f) {
        const ProgrammingParameters p{ParameterByte(texts[0]), ParameterByte(texts[1]),
                                      ParameterByte(texts[2]), ParameterByte(texts[3]),
                                      ParameterByte(texts[4])};
        return BuildSetParamFrame(f, p);
    });
    session.Open();
    session.Require("set param", build, ProgrammingParametersLines::SetParam);
    return kExitDone;
}

int setBaud(CliArgs& args, CliSession& session) {
    const auto rate = args.Positional();
    if (!rate) throw UsageError("set baud: give the RATE");
    args.RequireAllTaken();
    const auto at = std::find_if(std::begin(kBaudRatesByCode), std::end(kBaudRatesByCode),
                                 [&](int r) { return std::to_string(r) == *rate; });
    const int index =
        at == std::end(kBaudRatesByCode) ? -1 : static_cast<int>(at - std::begin(kBaudRatesByCode));
    uint8_t code = 0;
    checked([&](uint8_t*) { return code = BaudCodeOf(index, *rate), 0; });
    session.Open();
    session.Require(
        "set baud", [code](uint8_t* f) { return BuildSetBaudFrame(f, code); },
        BaudRateLines::SetBaud);
    session.Exchange().Log(BaudRateLines::ResetToUseNewRate);
    std::cout << BaudRateLines::ResetToUseNewRate << '\n';
    return kExitDone;
}

}  // namespace

int RunFirmware(CliArgs& args, const CommonOptions& common) {
    args.RequireAllTaken();
    CliSession session(common);
    session.Open();
    const ExchangeResult r =
        session.Exchange().TryRun(ConstantFrame(Commands::Firmware), MainWindowLines::Firmware);
    if (r.outcome != Outcome::Accepted || r.Code() != ReplyCodes::Firmware) FailWith("firmware", r);
    std::cout << ByteCharacters(r.dataText) << '\n';
    return kExitDone;
}

int RunReset(CliArgs& args, const CommonOptions& common) {
    return simple(args, common, "reset", Commands::Reset, MainWindowLines::Reset);
}

int RunSleep(CliArgs& args, const CommonOptions& common) {
    return simple(args, common, "sleep", Commands::Sleep, MainWindowLines::Sleep);
}

int RunInput(CliArgs& args, const CommonOptions& common) {
    args.RequireAllTaken();
    CliSession session(common);
    session.Open();
    const ExchangeResult r =
        session.Exchange().TryRun(ConstantFrame(Commands::ReadInput0), MainWindowLines::ReadInput0);
    // 0x66 is input 0 at logic 0 here, not a refusal.
    if (r.matched < 0) FailWith("input", r);
    std::cout << (r.Code() == ReplyCodes::Success ? "1" : "0") << '\n';
    return kExitDone;
}

int RunOutput(CliArgs& args, const CommonOptions& common) {
    const auto state = args.Positional();
    if (!state) throw UsageError("output: give the STATE, 0 to 3");
    const int s = NumberIn("output STATE", *state, 0, 3);
    args.RequireAllTaken();
    CliSession session(common);
    session.Open();
    session.Require(
        "output", ConstantFrame(Commands::SetOutputs, {static_cast<uint8_t>(s)}),
        MainWindowLines::Outputs,
        {{"output1", std::to_string((s >> 1) & 1)}, {"output0", std::to_string(s & 1)}});
    return kExitDone;
}

int RunSet(CliArgs& args, const CommonOptions& common) {
    const auto what = args.Positional();
    if (!what)
        throw UsageError(
            "set: give what to set (auto, output, bytetrack, i2c, calibration, param, baud)");
    CliSession session(common);
    if (*what == "auto") return setAuto(args, session);
    if (*what == "output") return setOutput(args, session);
    if (*what == "bytetrack") return setByteTrack(args, session);
    if (*what == "i2c") return setI2C(args, session);
    if (*what == "calibration") return setCalibration(args, session);
    if (*what == "param") return setParam(args, session);
    if (*what == "baud") return setBaud(args, session);
    throw UsageError("set: unknown setting '" + *what + "'");
}

int RunProgram(CliArgs& args, const CommonOptions& common) {
    const auto block = args.Value("--block");
    const auto data = args.Value("--data");
    if (!block || !data) throw UsageError("program: give --block N and --data HEX8");
    const int n = NumberIn("--block", *block, 0, 7);
    const FourBytes bytes = Hex8("--data", *data);
    std::optional<FourBytes> password;
    if (auto v = args.Value("--password")) password = Hex8("--password", *v);
    const bool block0Confirmed = args.Flag("--yes-block0");
    args.RequireAllTaken();
    if (n == 0 && !block0Confirmed)
        throw UsageError(
            "program: block 0 configures the transponder, and a wrong word can make "
            "it unreadable; add --yes-block0 to write it");
    CliSession session(common);
    session.Open();
    // Writing a transponder takes longer than the module's other commands.
    struct NormalLimitOnExit {
        int32_t limit = PollLimit;
        ~NormalLimitOnExit() { PollLimit = limit; }
    } restore;
    PollLimit = std::max(PollLimit, kProgrammingPollLimit);
    session.Require("program",
                    [&](uint8_t* f) {
                        return BuildProgramBlockFrame(f, static_cast<uint8_t>(n), bytes, password);
                    },
                    password ? TagProgrammingLines::ProgramBlockWithPassword
                             : TagProgrammingLines::ProgramBlock,
                    {{"block", std::to_string(n)},
                     {"fields", joined(bytes)},
                     {"password", password ? joined(*password) : ""}});
    return kExitDone;
}

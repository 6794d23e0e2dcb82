// Each command's output, exit status and effect on the module.
#include <gtest/gtest.h>

#include <functional>

#include "CliRun.h"
#include "link/TALVOR_comport.h"

namespace {

struct Case {
    const char* name;
    std::vector<std::string> args;
    std::function<void(SimulatedModule&)> setUp;
    int status;
    std::string out;                              // exact standard output
    std::string errHas;                           // a part of standard error
    size_t frames;                                // frames the module received
    std::function<bool(SimulatedModule&)> after;  // the module's state afterwards
};

void none(SimulatedModule&) {}

std::function<void(SimulatedModule&)> fault(bool Faults::*which) {
    return [which](SimulatedModule& m) {
        Faults f;
        f.*which = true;
        m.setFaults(f);
    };
}

}  // namespace

TEST(CliCommands, OutputStatusAndEffectOfEachCommand) {
    const std::vector<Case> cases{
        {"firmware", {"firmware"}, none, 0, "ZQ361 SIM 1.0\n", "", 1, nullptr},
        {"input high",
         {"input"},
         [](SimulatedModule& m) { m.setInput0(true); },
         0,
         "1\n",
         "",
         1,
         nullptr},
        {"input low is 0, not a refusal",
         {"input"},
         [](SimulatedModule& m) { m.setInput0(false); },
         0,
         "0\n",
         "",
         1,
         nullptr},
        {"output",
         {"output", "2"},
         none,
         0,
         "",
         "",
         1,
         [](SimulatedModule& m) { return m.outputs() == 2; }},
        {"output out of range", {"output", "4"}, none, 2, "", "from 0 to 3", 0, nullptr},
        {"set i2c",
         {"set", "i2c", "--enable", "--address", "41"},
         none,
         0,
         "",
         "",
         1,
         [](SimulatedModule& m) { return m.config()[37] == 1 && m.config()[38] == 0x41; }},
        {"set i2c with a bad address",
         {"set", "i2c", "--enable", "--address", "4G"},
         none,
         2,
         "",
         "hexadecimal",
         0,
         nullptr},
        {"set output refused like the dialog",
         {"set", "output", "--wiegand", "--id1", "1", "--id2", "2"},
         none,
         2,
         "",
         "No item is chosen in Facility Code.",
         0,
         nullptr},
        {"set calibration",
         {"set", "calibration", "--radf", "95", "--g1", "8", "--g2", "24"},
         none,
         0,
         "",
         "",
         2,
         [](SimulatedModule& m) { return m.config()[5] == 95 && m.config()[7] == 0x18; }},
        {"set calibration out of range",
         {"set", "calibration", "--radf", "101"},
         none,
         2,
         "",
         "92 to 100",
         0,
         nullptr},
        {"flash write error",
         {"set", "bytetrack", "--track", "52 58"},
         fault(&Faults::flashError),
         1,
         "",
         "unexpected answer",
         1,
         nullptr},
        {"block 0 needs confirmation",
         {"program", "--block", "0", "--data", "00148040"},
         none,
         2,
         "",
         "--yes-block0",
         0,
         nullptr},
        {"no answer",
         {"--timeout-ms", "100", "reset"},
         fault(&Faults::silent),
         4,
         "",
         "time-out",
         1,
         nullptr},
        {"checksum error",
         {"sleep"},
         fault(&Faults::badChecksum),
         1,
         "",
         "checksum error",
         1,
         nullptr},
        {"unknown command", {"frobnicate"}, none, 2, "", "unknown command", 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CliModule module;
        module.server.withModule(c.setUp);
        const CliResult r = RunCli(module.with(c.args));
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
        EXPECT_EQ(module.server.receivedFrames().size(), c.frames);
        if (c.after) module.server.withModule([&](SimulatedModule& m) { EXPECT_TRUE(c.after(m)); });
    }
}

TEST(CliCommands, VerboseLinesAreTheWindowsAndABusyPortIsRefused) {
    CliModule module;
    CliResult r = RunCli(module.with({"-v", "firmware"}));
    EXPECT_EQ(
        r.err,
        "TX > Firmware\t\tFF 01 01 50 52 \nRX > Firmware:\"ZQ361 SIM 1.0\"\tFF 01 0E 50 5A 51 "
        "33 36 31 20 53 49 4D 20 31 2E 30 5C \n");

    Tcom_form holder;
    holder.comport1.OnRxChar = nullptr;
    holder.comport1.SetPort(module.server.devicePath());
    holder.comport1.Open();
    r = RunCli(module.with({"firmware"}));
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find(module.server.devicePath()), std::string::npos) << r.err;
}

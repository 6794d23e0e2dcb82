// Module profiles through the real program: save, apply with verification,
// diff, a refusal mid-apply, and refused files.
#include <gtest/gtest.h>

#include "CliRun.h"
#include "support/TempFolder.h"

namespace {

// A configuration unlike the simulated module's factory one in every group.
std::array<uint8_t, 64> customBlock() {
    std::array<uint8_t, 64> b = SimulatedModule::factoryConfig();
    b[0] = 90, b[4] = 80;                      // WG, PADF
    b[5] = 94, b[7] = 0x08, b[8] = 0x0C;       // RADF, G1 16, G2 48
    b[9] = 3, b[10] = 2;                       // A1, A2
    b[23] = 0, b[18] = 1, b[19] = 0xAB;        // auto off, password sent
    b[24] = 1, b[25] = 5;                      // read type, blocks
    b[26] = 0x87, b[27] = 0x81, b[28] = 0x12;  // UART protocol CR LF, Wiegand fixed 0x12
    b[29] = 3, b[30] = 4, b[31] = 7;
    b[32] = 2, b[33] = 0xAA, b[34] = 0xBB;  // track AA BB
    b[37] = 1, b[38] = 0x41;                // I2C on at 41
    return b;
}

std::array<uint8_t, 64> configOf(CliModule& m) {
    std::array<uint8_t, 64> b{};
    m.server.withModule([&](SimulatedModule& s) { b = s.config(); });
    return b;
}

}  // namespace

TEST(CliProfiles, SavedFromOneModuleAppliedToAnotherReadsBackEqualAndDiffShowsOnlyDifferences) {
    TempFolder folder;
    const std::string file = folder.file("module.profile");
    CliModule source, target;
    source.server.withModule([](SimulatedModule& m) { m.setConfig(customBlock()); });

    CliResult r = RunCli(source.with({"profile", "save", file}));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = ReadWholeFile(file);
    for (const char* line : {"# Firmware: ZQ361 SIM 1.0\n", "Baud = 19200\n", "RADF = 94\n",
                             "G1 = 16\n", "UART = enabled\n", "Facility Byte = 0x12 (fixed)\n",
                             "Track = AA BB\n", "Slave Address = 41\n", "Password = AB000000\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;

    r = RunCli(target.with({"profile", "diff", file}));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("RADF: profile 94, module 96\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("ONE:"), std::string::npos) << "an equal field is listed";

    // Tag frames come while answers are awaited; up to three are skipped.
    target.server.withModule([](SimulatedModule& m) {
        Faults f;
        f.tagFramesBeforeAnswer = 3;
        m.setFaults(f);
    });
    target.server.clearReceivedFrames();
    r = RunCli(target.with({"profile", "apply", file, "--verify"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Verified"), std::string::npos) << r.out;
    const auto applied = configOf(target), wanted = customBlock();
    for (int i : {0,  1,  2,  3,  4,  5,  7,  8,  9,  10, 11, 18, 19, 20, 21,
                  22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 37, 38})
        EXPECT_EQ(applied[i], wanted[i]) << "data byte " << i;
    // The first frame is Stop Read.
    EXPECT_EQ(target.server.receivedFrames().front()[3], 0x12);

    target.server.withModule([](SimulatedModule& m) {
        auto b = m.config();
        b[38] = 0x42, b[2] = 1;
        m.setConfig(b);
    });
    r = RunCli(target.with({"profile", "diff", file}));
    EXPECT_EQ(r.out, "ONE: profile 170, module 1\nSlave Address: profile 41, module 42\n");
}

TEST(CliProfiles, ARefusalMidApplyNamesWhatWasAndWasNotWritten) {
    TempFolder folder;
    const std::string file = folder.file("p");
    CliModule module;
    ASSERT_EQ(RunCli(module.with({"profile", "save", file})).status, 0);
    module.server.withModule([](SimulatedModule& m) {
        Faults f;
        f.flashErrorFor = 0x55;  // Set Byte Track
        m.setFaults(f);
    });
    const CliResult r = RunCli(module.with({"profile", "apply", file, "--verify"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("\"Set Byte Track\" failed"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Written: WG, SG, ONE, ZERO, PADF, RADF, G1, G2, A1, A2, A3, UART,"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("Not written: Track, I2C, Slave Address, Auto Read Mode,"),
              std::string::npos)
        << r.err;
}

TEST(CliProfiles, RefusedFilesNameTheirLineAndSendNothing) {
    const std::string header = "# TALVOR module profile\nBaud = 19200\n[I2C Settings]\n";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {header + "I2C = enabled\nSlave Address = 41\nColour = red\n",
         "line 6: unknown key \"Colour\""},
        {header + "I2C = maybe\nSlave Address = 41\n",
         "line 4: I2C: 'maybe' is not enabled or disabled"},
        {header + "I2C = enabled\nSlave Address = 141\n", "line 5: Slave Address: '141'"},
        {header + "I2C = enabled\nI2C = disabled\nSlave Address = 41\n", "line 5: I2C given twice"},
        {"Baud = 12345\n", "line 1: Baud"},
        {"[Calibration Parameters]\nRADF = 91\n",
         "line 2: RADF: '91' is not a number from 92 to 100"},
        {header + "I2C = enabled\n", "line 3: [I2C Settings] lacks Slave Address"},
        {"[Antenna]\n", "line 1: unknown section"},
    };
    TempFolder folder;
    CliModule module;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteWholeFile(folder.file("p"), c.text);
        const CliResult r = RunCli(module.with({"profile", "apply", folder.file("p")}));
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_TRUE(module.server.receivedFrames().empty());
}

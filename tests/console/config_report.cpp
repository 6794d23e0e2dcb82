// The configuration report: line by line from a configuration block, and end
// to end against the simulated module.
#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <cstdlib>

#include "module/ConfigReport.h"
#include "console/Unit1.h"
#include "link/TALVOR_comport.h"
#include "support/ui/UiHarness.h"

namespace {

using Lines = std::vector<std::string>;
using Block = std::array<uint8_t, 64>;

std::string replyFor(const Block& block, uint8_t length = 0x41, uint8_t code = 0x99) {
    std::vector<uint8_t> frame{0xFF, 0x01, length, code};
    frame.insert(frame.end(), block.begin(), block.end());
    uint8_t sum = 0;
    for (size_t i = 1; i < frame.size(); ++i) sum = static_cast<uint8_t>(sum + frame[i]);
    frame.push_back(sum);
    return HexText(frame.data(), static_cast<int>(frame.size()));
}

Block fullBlock() {
    Block d{};
    d[0] = 100, d[1] = 200, d[2] = 170, d[3] = 50, d[4] = 96;
    d[5] = 92;
    d[7] = 0x18, d[8] = 0x0C;
    d[9] = 2, d[10] = 3, d[11] = 1;
    d[18] = 0;
    d[19] = 0x12, d[20] = 0xAB, d[21] = 0x00, d[22] = 0xFF;
    d[23] = 1;
    d[24] = 4;
    d[25] = 3;
    d[26] = 0x80 | 0x04 | 0x02;  // UART on, ASCII, CR, LF
    d[27] = 0x80;                // Wiegand on, facility from the tag
    d[28] = 0, d[29] = 1, d[30] = 2;
    d[31] = 7;
    d[32] = 2, d[33] = 0x52, d[34] = 0x58, d[35] = 0x99;
    d[37] = 1, d[38] = 0x5A;
    return d;
}

// The report of fullBlock(), line by line.
Lines fullBlockReport() {
    return {
        "",
        "Settings> Tag Programming Parameters",
        "WG:100",
        "SG:200",
        "ONE:170",
        "ZERO:50",
        "PADF:96",
        "",
        "Settings> Calibration Parameters",
        "RADF:92 - (130.43 KHz)",
        "G1:8",
        "G2:48",
        "A1:2",
        "A2:3",
        "A3:1",
        "",
        "Auto Mode Read Parameters",
        "Auto Read Mode: Enabled",
        "Send Password: No",
        "Password: 12AB00FF",
        "Read Type: Byte Track - Manchester RF/32",
        "Number of blocks to be read: 3",
        "",
        "OUTPUT SELECTIONS",
        "UART: Enabled",
        "UART OUTPUT TYPE: Ascii + CR  + LF ",
        "",
        "Wiegand: Enabled",
        "Facility Byte: Byte1",
        "Identification Code: Byte2 Byte3",
        "",
        "Output0 P0[5] High Time:7 * 30 miliseconds",
        "",
        "BYTE TRACK PARAMETERS (If Byte Track mode is used)",
        "No of bytes to be tracked:2",
        "Track: 0x52 0x58",
        "",
        "I2C Settings",
        "I2C Enabled",
        "Slave Address:5A",
    };
}

TEST(ConfigReport, AFullBlockGivesEveryLineInOrder) {
    const Lines expected = fullBlockReport();
    const std::string reply = replyFor(fullBlock());
    ASSERT_TRUE(IsConfigReply(reply));
    EXPECT_EQ(ConfigReportLines(reply, '.'), expected);
}

// The line of the report that starts with `prefix` ("" when none).
std::string lineStarting(const Lines& lines, const std::string& prefix) {
    for (const auto& l : lines)
        if (l.rfind(prefix, 0) == 0) return l;
    return "";
}

TEST(ConfigReport, FieldsFollowTheirEncodings) {
    struct Row {
        int byte;
        uint8_t value;
        std::string prefix;
        std::string line;
    };
    const Row rows[] = {
        {5, 96, "RADF:", "RADF:96 - (125 KHz)"},
        {5, 100, "RADF:", "RADF:100 - (120 KHz)"},
        {5, 0, "RADF:", "RADF:0 - (frequency unknown)"},
        {5, 255, "RADF:", "RADF:255 - (47.06 KHz)"},
        {7, 0x38, "G1:", "G1:4"},
        {7, 0xD8, "G1:", "G1:1.14"},  // named by the gain table only
        {7, 0x55, "G1:", "G1:0x55"},  // named nowhere
        {26, 0x00, "UART", "UART: Disabled"},
        {26, 0x81, "UART OUTPUT", "UART OUTPUT TYPE: Protocol"},
        {26, 0x85, "UART OUTPUT", "UART OUTPUT TYPE: Protocol + CR "},
        {24, 1, "Read Type", "Read Type: Byte Track - Manchester RF/64"},
        {24, 2, "Read Type", "Read Type: EM4102 Decoded Raw"},
        {24, 3, "Read Type", "Read Type: EM4102 Decoded"},
        {24, 0, "Read Type", ""},
        {24, 5, "Read Type", ""},
        {31, 0, "Output0", "Output0 P0[5] is disabled"},
        {32, 0, "Track", "Track:"},
        {32, 9, "Track", "Track: 0x52 0x58 0x99 0x00"},  // never past the four track bytes
        {32, 9, "No of", "No of bytes to be tracked:9"},
        {37, 0, "I2C D", "I2C Disabled"},
        {18, 5, "Send Password", "Send Password: Yes"},
        {23, 0, "Auto Read", "Auto Read Mode: Disabled"},
    };
    for (const Row& row : rows) {
        Block block = fullBlock();
        block[static_cast<size_t>(row.byte)] = row.value;
        EXPECT_EQ(lineStarting(ConfigReportLines(replyFor(block), '.'), row.prefix), row.line)
            << "data byte " << row.byte << " = " << int(row.value);
    }
    EXPECT_EQ(FormatFrequency(92, ','), "130,43");
}

TEST(ConfigReport, FrequencyTakesOnlyItsSeparatorFromTheCaller) {
    const struct {
        int radf;
        const char* kHz;  // with the separator shown as '.'
    } rows[] = {{96, "125"},   {1, "12000"},   {92, "130.43"}, {94, "127.66"},
                {64, "187.5"}, {255, "47.06"}, {250, "48"}};
    for (const char separator : {'.', ','}) {
        for (const auto& row : rows) {
            std::string expected = row.kHz;
            for (char& c : expected)
                if (c == '.') c = separator;
            EXPECT_EQ(FormatFrequency(row.radf, separator), expected) << row.radf;
        }
    }
}

TEST(ConfigReport, WiegandLinesDependOnTheFixedBit) {
    Block block = fullBlock();
    block[27] = 0x81;
    block[28] = 0x0A;
    block[29] = 255;
    Lines lines = ConfigReportLines(replyFor(block), '.');
    EXPECT_EQ(lineStarting(lines, "Facility"), "Facility Byte: 0x0A (fixed)");
    EXPECT_EQ(lineStarting(lines, "Identification"), "Identification Code: Byte256 Byte3");

    block[27] = 0x01;  // off: no facility or identification line
    lines = ConfigReportLines(replyFor(block), '.');
    EXPECT_EQ(lineStarting(lines, "Wiegand"), "Wiegand: Disabled");
    EXPECT_EQ(lineStarting(lines, "Facility"), "");
    EXPECT_EQ(lineStarting(lines, "Identification"), "");
}

TEST(ConfigReport, OnlyTheLengthByteDecidesWhetherAReplyIsReported) {
    EXPECT_TRUE(IsConfigReply(replyFor(fullBlock(), 0x41, 0x10)));
    EXPECT_FALSE(IsConfigReply(replyFor(fullBlock(), 0x40)));
    EXPECT_FALSE(IsConfigReply("error"));
    EXPECT_FALSE(IsConfigReply(""));
}

TEST(ConfigReport, TheReportReadsBackWhatTheModuleStores) {
    UiHarness ui;
    ui.start();
    ui.sim.withModule([](SimulatedModule& m) {
        std::array<uint8_t, SimulatedModule::kConfigSize> block{};
        const Block full = fullBlock();
        std::copy(full.begin(), full.end(), block.begin());
        m.setConfig(block);
    });
    Form1->GetModuleParameters1Click();
    const Lines log = ui.log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "TX > Read Config\tFF 01 01 70 72 ");
    EXPECT_EQ(log[1], "RX > Success\t\t" + replyFor(fullBlock()));
    EXPECT_EQ(Lines(log.begin() + 2, log.end()), fullBlockReport());
}

TEST(ConfigReport, UnderACommaLocaleOnlyTheSeparatorChanges) {
    TempFolder locales;
    const std::string generate = "localedef --no-archive -i de_DE -f UTF-8 " +
                                 locales.file("de_DE.UTF-8") + " >/dev/null 2>&1";
    if (std::system(generate.c_str()) != 0)
        GTEST_SKIP() << "localedef cannot generate de_DE.UTF-8 here (package locales)";
    // The test environment fixes LC_ALL; start-up takes the locale from it.
    setenv("LOCPATH", locales.path().c_str(), 1);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    ASSERT_NE(std::setlocale(LC_ALL, ""), nullptr);
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");

    UiHarness ui;
    ui.start();
    const std::pair<uint8_t, std::string> rows[] = {{96, "RADF:96 - (125 KHz)"},
                                                    {92, "RADF:92 - (130,43 KHz)"}};
    for (const auto& [radf, line] : rows) {
        ui.sim.withModule([radf = radf](SimulatedModule& m) {
            std::array<uint8_t, SimulatedModule::kConfigSize> block{};
            const Block full = fullBlock();
            std::copy(full.begin(), full.end(), block.begin());
            block[5] = radf;
            m.setConfig(block);
        });
        ui.clearLog();
        Form1->GetModuleParameters1Click();
        const Lines log = ui.log();
        ASSERT_GT(log.size(), 11u);
        EXPECT_EQ(log[11], line);
    }
    std::setlocale(LC_ALL, "C.UTF-8");
}

}  // namespace

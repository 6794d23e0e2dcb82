// read: tag frames as JSON lines, and Ctrl-C.
#include <gtest/gtest.h>

#include "CliRun.h"

namespace {

void tagsInField(SimulatedModule& m) {
    m.setTagInField(true);
    m.setCountTagIds(true);  // each frame carries the next ID: three tags
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

}  // namespace

TEST(CliRead, ThreeTagsAsJsonLinesThenStopRead) {
    CliModule module;
    module.server.withModule(tagsInField);
    const CliResult r = RunCli(module.with({"read", "--count", "3", "--json"}));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = linesOf(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    const char* ids[] = {"1A2B3C4D5E", "1A2B3C4D5F", "1A2B3C4D60"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(lines[i].rfind("{\"time\": \"20", 0), 0u) << lines[i];
        EXPECT_NE(lines[i].find("\"data\": \"" + std::string(ids[i]) + "\"}"), std::string::npos)
            << lines[i];
    }
    EXPECT_EQ(module.server.receivedFrames().back()[3], 0x12) << "Stop Read last";
}

TEST(CliRead, CtrlCSendsStopReadAndClosesThePort) {
    CliModule module;
    module.server.withModule([](SimulatedModule& m) {
        tagsInField(m);
        auto b = m.config();
        b[23] = 1;  // auto mode: the module goes on reading by itself
        m.setConfig(b);
        m.setAutoRepeatMs(50);
    });
    const CliResult r = RunCli(module.with({"read"}), true);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(module.server.receivedFrames().back()[3], 0x12) << "Stop Read last";
    // The port is free again.
    EXPECT_EQ(RunCli(module.with({"firmware"})).status, 0);
}

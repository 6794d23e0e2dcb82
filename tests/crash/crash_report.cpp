// The programs made to crash through their hidden test switch: each must say
// what happened on standard error and leave a crash file, with the thread and
// the frames, in its settings folder (a copy of the program in a fresh folder
// keeps its settings there), and still end by the signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> crashFiles(const std::string& folder, const std::string& program) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(program + "-crash-", 0) == 0) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CrashReport, EveryProgramLeavesATraceAndEndsByTheSignal) {
    const struct {
        const char* built;
        const char* kind;
        int signal;
        const char* what;
        const char* thread;
        const char* frame;  // a frame the backtrace must name
    } cases[] = {
        {TALVOR_PROGRAM, "segv", SIGSEGV, "talvor crashed: signal SIGSEGV (invalid memory access) at 0x8",
         "(main thread)", "(main+"},
        {TALVOR_PROGRAM, "exception", SIGABRT,
         "talvor crashed: uncaught exception std::runtime_error: crash test", "(main thread)",
         "(main+"},
        {CLI_PROGRAM, "abort", SIGABRT, "talvor-cli crashed: signal SIGABRT (abort)",
         "(main thread)", "(main+"},
        {SIM_PROGRAM, "thread", SIGSEGV, "zq361-sim crashed: signal SIGSEGV",
         "\"crash-test\" (not the main thread)", "zq361-sim("},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        TempFolder folder;
        const std::string name = fs::path(c.built).filename().string();
        const std::string program = folder.file(name);
        fs::copy_file(c.built, program);
        // Older reports: the oldest beyond the newest five goes at start-up.
        for (int day = 1; day <= 6; ++day)
            WriteWholeFile(folder.file(name + "-crash-2020010" + std::to_string(day) +
                                       "-000000-1.txt"),
                           "old");
        const std::string errors = folder.file("stderr");

        const pid_t child = fork();
        if (child == 0) {
            const int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(fd, STDERR_FILENO);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            setenv("TALVOR_CRASH_TEST", c.kind, 1);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            execl(program.c_str(), name.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_GT(child, 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << status;

        const std::vector<std::string> files = crashFiles(folder.path(), name);
        ASSERT_EQ(files.size(), 6u);
        EXPECT_EQ(files[0], name + "-crash-20200102-000000-1.txt");
        const std::string report = ReadWholeFile(folder.file(files.back()));
        const std::string shown = ReadWholeFile(errors);
        for (const std::string& text : {report, shown}) {
            EXPECT_NE(text.find(c.what), std::string::npos) << text;
            EXPECT_NE(text.find(c.thread), std::string::npos) << text;
            EXPECT_NE(text.find(c.frame), std::string::npos) << text;
            EXPECT_NE(text.find(program + " 0x"), std::string::npos) << text;
        }
        EXPECT_NE(shown.find("crash file: " + folder.file(files.back())), std::string::npos)
            << shown;
    }
}

}  // namespace

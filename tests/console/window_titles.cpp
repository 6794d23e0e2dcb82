// The title an X11 window system shows for every window is exactly its
// caption. Only a real X server shows what xcb adds to a title (the offscreen
// platform never adds anything), so this runs under its own Xvfb.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "console/Unit1.h"
#include "support/ui/UiHarness.h"

namespace {

bool onPath(const char* program) {
    return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

std::string output(const std::string& command) {
    std::string text;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return text;
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe.get())) text.append(buffer, n);
    return text;
}

// An Xvfb on a free display. It ends by itself once its last client (this
// test process) disconnects, so the windows can live until the process exits.
class Xvfb {
public:
    Xvfb() {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-terminate", "-nolisten", "tcp",
                   "-screen", "0", "1280x1024x24", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes the number, then a line break, once it accepts clients.
        std::string number;
        pollfd ready{fds[0], POLLIN, 0};
        char c = 0;
        while (pid_ > 0 && poll(&ready, 1, 10000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        if (c == '\n' && !number.empty()) display_ = ":" + number;
        close(fds[0]);
    }
    // Only a server no client ever reached must be stopped by hand.
    ~Xvfb() {
        if (pid_ > 0 && !QApplication::instance()) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// _NET_WM_NAME of a window as xprop prints it: NAME(UTF8_STRING) = "title".
std::string netWmName(const std::string& display, unsigned long window) {
    const std::string text = output("xprop -display " + display + " -id " + std::to_string(window) +
                                    " _NET_WM_NAME 2>/dev/null");
    const size_t first = text.find('"'), last = text.rfind('"');
    return first == std::string::npos || last == first ? ""
                                                       : text.substr(first + 1, last - first - 1);
}

// The id of a top-level window other than `other` whose name starts with `caption`.
unsigned long windowOf(const std::string& display, const std::string& caption,
                       unsigned long other) {
    const std::string tree =
        output("xwininfo -display " + display + " -root -children 2>/dev/null");
    for (size_t at = tree.find(" \"" + caption); at != std::string::npos;
         at = tree.find(" \"" + caption, at + 1)) {
        const size_t start = tree.rfind("0x", at);
        if (start == std::string::npos) continue;
        const unsigned long id = std::stoul(tree.substr(start, at - start), nullptr, 16);
        if (id != other) return id;
    }
    return 0;
}

TEST(WindowTitles, EveryWindowShowsExactlyItsCaption) {
    for (const char* tool : {"Xvfb", "xprop", "xwininfo"})
        if (!onPath(tool))
            GTEST_SKIP() << tool << " is not installed (packages xvfb, x11-utils): no X server "
                         << "to read window titles from";
    Xvfb server;
    if (server.display().empty()) GTEST_SKIP() << "Xvfb did not start";
    setenv("DISPLAY", server.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    UiHarness ui;
    ASSERT_EQ(QApplication::platformName(), "xcb");
    ui.start();
    for (const auto& [window, caption] : AllWindows()) {
        ShowDialog(window);
        std::string title;
        // A structured binding cannot be captured in C++17 (clang refuses it).
        QWidget* const shown = window;
        ui.waitFor([&] { return !(title = netWmName(server.display(), shown->winId())).empty(); });
        EXPECT_EQ(title, caption) << window->objectName().toStdString();
    }

    // The program itself, started as an operator starts it.
    const pid_t program = fork();
    if (program == 0) {
        execl(TALVOR_PROGRAM, "talvor", "--simulator", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(program, 0);
    unsigned long mainWindow = 0;
    ui.waitFor(
        [&] {
            mainWindow = windowOf(server.display(), "TALVOR 3.07", Form1->winId());
            return mainWindow != 0;
        },
        10000);
    const std::string title = mainWindow ? netWmName(server.display(), mainWindow) : "";
    kill(program, SIGTERM);
    waitpid(program, nullptr, 0);
    EXPECT_EQ(title, "TALVOR 3.07 for ZQ361 devices");
}

}  // namespace

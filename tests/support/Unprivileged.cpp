#include "Unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kCannotDropPrivileges = 3;

void WriteAll(int fd, const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = write(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        data += n;
        left -= static_cast<std::size_t>(n);
    }
}

}  // namespace

ChildOutcome RunUnprivileged(const std::function<std::string()>& code) {
    ChildOutcome outcome;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        outcome.text = std::string("pipe: ") + std::strerror(errno);
        return outcome;
    }
    const pid_t child = fork();
    if (child < 0) {
        outcome.text = std::string("fork: ") + std::strerror(errno);
        close(pipeFds[0]);
        close(pipeFds[1]);
        return outcome;
    }
    if (child == 0) {
        close(pipeFds[0]);
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            WriteAll(pipeFds[1], std::string("cannot become uid 65534: ") + std::strerror(errno));
            _exit(kCannotDropPrivileges);
        }
        std::string text;
        int status = 0;
        try {
            text = code();
        } catch (const std::exception& e) {
            text = std::string("exception: ") + e.what();
            status = 4;
        }
        WriteAll(pipeFds[1], text);
        _exit(status);
    }
    close(pipeFds[1]);
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    outcome.text = text;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        outcome.status = ChildOutcome::kRan;
    else if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotDropPrivileges)
        outcome.status = ChildOutcome::kNoUnprivilegedUser;
    else if (text.empty())
        outcome.text = "the child ended with status " + std::to_string(status);
    return outcome;
}

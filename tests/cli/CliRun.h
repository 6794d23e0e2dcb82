// Runs the real talvor-cli (TALVOR_CLI) against a simulated module served on
// a pseudo-terminal in the test, and collects its output and exit status.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "sim/SimulatorServer.h"

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

// With interruptAfterLine, SIGINT goes to the program once its first line of
// standard output came (Ctrl-C at the terminal).
inline CliResult RunCli(const std::vector<std::string>& args, bool interruptAfterLine = false) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        std::vector<char*> argv{const_cast<char*>("talvor-cli")};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(TALVOR_CLI, argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    CliResult r;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool interrupted = false;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&r.out, &r.err};
    for (int open = 2; open > 0 && std::chrono::steady_clock::now() < deadline;) {
        if (poll(fds, 2, 1000) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buf[4096];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
        if (interruptAfterLine && !interrupted && r.out.find('\n') != std::string::npos) {
            kill(pid, SIGINT);
            interrupted = true;
        }
    }
    for (pollfd& f : fds)
        if (f.fd >= 0) close(f.fd);
    int status = 0;
    if (std::chrono::steady_clock::now() >= deadline) kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

// A simulated module for one test, with the port option that reaches it.
struct CliModule {
    SimulatorServer server;
    CliModule() { server.start(); }
    std::vector<std::string> port() { return {"--port", server.devicePath()}; }
    std::vector<std::string> with(std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", server.devicePath()});
        return args;
    }
};

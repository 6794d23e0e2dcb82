#include "sim/SimulatorServer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>

#include "sim/PseudoTerminal.h"

struct SimulatorServer::Impl {
    std::mutex mutex;  // guards module
    SimulatedModule module;
    PseudoTerminal pty;
    int wakeFd = -1;
    std::atomic<bool> stopping{false};
    std::atomic<uint64_t> ignoredInput{0};
    std::atomic<uint64_t> droppedOutput{0};
    std::thread thread;
    const std::chrono::steady_clock::time_point epoch = std::chrono::steady_clock::now();

    int64_t nowMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - epoch)
            .count();
    }

    void wake() {
        if (wakeFd < 0) return;
        const uint64_t one = 1;
        ssize_t r = ::write(wakeFd, &one, sizeof one);
        (void)r;
    }

    void send(const std::vector<SimulatedModule::Transmission>& out) {
        if (out.empty()) return;
        const uint32_t hostRate = pty.hostBaudRate();
        for (const auto& t : out) {
            // A host listening at another rate hears nothing useful: drop it.
            if (t.baud != hostRate) {
                droppedOutput += t.bytes.size();
                continue;
            }
            size_t done = 0;
            while (done < t.bytes.size()) {
                const ssize_t n =
                    ::write(pty.masterFd(), t.bytes.data() + done, t.bytes.size() - done);
                if (n > 0) {
                    done += static_cast<size_t>(n);
                } else if (n < 0 && errno == EINTR) {
                    continue;
                } else {
                    // A full queue means nobody is reading: a UART sends regardless.
                    break;
                }
            }
        }
    }

    void heard(int64_t now) {
        uint8_t buf[4096];
        for (;;) {
            const ssize_t n = ::read(pty.masterFd(), buf, sizeof buf);
            if (n > 0) {
                const uint32_t hostRate = pty.hostBaudRate();
                std::lock_guard<std::mutex> lock(mutex);
                // Bytes sent at another rate are noise to the module's UART.
                if (hostRate == module.baudRate())
                    module.receive(buf, static_cast<size_t>(n), now);
                else
                    ignoredInput += static_cast<uint64_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            return;
        }
    }

    void serve() {
        while (!stopping.load()) {
            int64_t now = nowMs();
            std::vector<SimulatedModule::Transmission> out;
            int64_t due;
            {
                std::lock_guard<std::mutex> lock(mutex);
                out = module.takeTransmissions(now);
                due = module.nextDueMs();
            }
            send(out);
            int timeout = -1;
            if (due >= 0) {
                now = nowMs();
                timeout = due <= now ? 0 : static_cast<int>(due - now);
            }
            pollfd fds[2] = {{pty.masterFd(), POLLIN, 0}, {wakeFd, POLLIN, 0}};
            const int r = ::poll(fds, 2, timeout);
            if (r < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents & POLLIN) {
                uint64_t v;
                ssize_t n = ::read(wakeFd, &v, sizeof v);
                (void)n;
            }
            if (fds[0].revents & POLLIN) heard(nowMs());
            if (fds[0].revents & (POLLERR | POLLNVAL)) return;
        }
    }
};

SimulatorServer::SimulatorServer() : d(std::make_unique<Impl>()) {}

SimulatorServer::~SimulatorServer() { stop(); }

void SimulatorServer::start() {
    if (d->thread.joinable()) return;
    d->pty.open();
    d->wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (d->wakeFd < 0) {
        const int e = errno;
        d->pty.close();
        throw std::system_error(e, std::generic_category(), "eventfd");
    }
    d->stopping = false;
    d->thread = std::thread([this] { d->serve(); });
}

void SimulatorServer::stop() {
    if (!d->thread.joinable()) return;
    d->stopping = true;
    d->wake();
    d->thread.join();
    ::close(d->wakeFd);
    d->wakeFd = -1;
    d->pty.close();
}

std::string SimulatorServer::devicePath() const { return d->pty.slavePath(); }

void SimulatorServer::withModule(const std::function<void(SimulatedModule&)>& fn) {
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        fn(d->module);
    }
    d->wake();
}

std::vector<std::vector<uint8_t>> SimulatorServer::receivedFrames() {
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->module.receivedFrames();
}

void SimulatorServer::clearReceivedFrames() {
    std::lock_guard<std::mutex> lock(d->mutex);
    d->module.clearReceivedFrames();
}

void SimulatorServer::powerCycle() {
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->module.powerCycle(d->nowMs());
    }
    d->wake();
}

uint64_t SimulatorServer::ignoredInputBytes() const { return d->ignoredInput.load(); }

uint64_t SimulatorServer::droppedOutputBytes() const { return d->droppedOutput.load(); }

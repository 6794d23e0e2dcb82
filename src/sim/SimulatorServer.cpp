#include "sim/SimulatorServer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>

#include "sim/PseudoTerminal.h"

struct SimulatorServer::Impl {
    std::mutex mutex;  // guards module
    SimulatedModule module;
    PseudoTerminal pty;
    std::string folder;  // holds the link while started
    std::string link;
    int wakeFd = -1;
    std::atomic<bool> stopping{false};
    std::atomic<uint64_t> ignoredInput{0};
    std::atomic<uint64_t> droppedOutput{0};
    std::atomic<uint64_t> refusedOutput{0};
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
                    refusedOutput += t.bytes.size() - done;
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
    if (!d->folder.empty()) return;
    const char* tmp = std::getenv("TMPDIR");
    std::string folder =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/talvor-sim-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr)
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    d->wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (d->wakeFd < 0) {
        const int e = errno;
        ::rmdir(folder.c_str());
        throw std::system_error(e, std::generic_category(), "eventfd");
    }
    d->folder = folder;
    d->link = folder + "/ttyZQ361";
    try {
        plugIn();
    } catch (...) {
        stop();
        throw;
    }
}

void SimulatorServer::stop() {
    if (d->folder.empty()) return;
    unplug();
    ::close(d->wakeFd);
    d->wakeFd = -1;
    ::rmdir(d->folder.c_str());
    d->folder.clear();
}

void SimulatorServer::unplug() {
    if (!d->thread.joinable()) return;
    d->stopping = true;
    d->wake();
    d->thread.join();
    ::unlink(d->link.c_str());
    // Closing the master hangs up the host's open device.
    d->pty.close();
}

void SimulatorServer::plugIn() {
    if (d->folder.empty() || d->thread.joinable()) return;
    d->pty.open();
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->module.takeTransmissions(d->nowMs());
    }
    // Renamed into place, so the link never names a missing device.
    const std::string fresh = d->link + ".new";
    ::unlink(fresh.c_str());
    if (::symlink(d->pty.slavePath().c_str(), fresh.c_str()) != 0 ||
        ::rename(fresh.c_str(), d->link.c_str()) != 0) {
        const int e = errno;
        d->pty.close();
        throw std::system_error(e, std::generic_category(), "symlink");
    }
    d->stopping = false;
    d->thread = std::thread([this] { d->serve(); });
}

bool SimulatorServer::pluggedIn() const { return d->thread.joinable(); }

std::string SimulatorServer::devicePath() const { return d->link; }

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

uint64_t SimulatorServer::refusedOutputBytes() const { return d->refusedOutput.load(); }

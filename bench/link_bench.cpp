// Link figures against the simulated module on a pseudo-terminal:
//  1. exchange round trip (Firmware query), median and 99th percentile;
//  2. processor time an open, idle port costs over 10 s;
//  3. the rate of unsolicited tag frames that reach comport1RxChar, none lost.
// Usage: bench_link_bench [exchanges] [idle seconds]
#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/CommandTable.h"
#include "link/MainThreadHandOver.h"
#include "link/TALVOR_comport.h"
#include "sim/SimulatorServer.h"

namespace {

using Clock = std::chrono::steady_clock;

double processCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The bench's "user-interface thread": a queue that main() pumps.
class PumpedExecutor : public MainThreadExecutor {
public:
    void post(std::function<void()> fn) override {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(fn));
        ready_.notify_one();
    }
    // Runs what is queued, waiting up to `wait` for the first item.
    void pump(std::chrono::milliseconds wait) {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait_for(lock, wait, [this] { return !queue_.empty(); });
        while (!queue_.empty()) {
            auto fn = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            fn();
            lock.lock();
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> queue_;
};

void roundTrip(int exchanges) {
    SimulatorServer sim;
    sim.start();
    Tcom_form host;
    host.comport1.SetEvents(TComEvents{});
    host.comport1.SetPort(sim.devicePath());
    host.comport1.Open();
    int failures = 0;
    host.SetLineSink([&failures](const std::string&) { ++failures; });
    TFrameBuffer frame{};
    BuildFrame(frame, Commands::Firmware, {});
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(exchanges));
    for (int i = 0; i < exchanges; ++i) {
        const auto start = Clock::now();
        host.SendFrame(frame, Commands::Firmware.frameSize);
        std::string data, reply;
        host.ReadResponse(data, reply);
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        if (ReplyCode(reply) != "50") ++failures;
    }
    std::sort(micros.begin(), micros.end());
    std::printf("exchange round trip over %d Firmware queries: median %.0f us, p99 %.0f us, "
                "failures %d\n",
                exchanges, micros[micros.size() / 2], micros[micros.size() * 99 / 100], failures);
}

void idleCost(int seconds, PumpedExecutor& executor) {
    SimulatorServer sim;
    sim.start();
    Tcom_form host;
    host.comport1.SetPort(sim.devicePath());
    host.comport1.Open();  // all ten events, window synchronisation
    const double before = processCpuSeconds();
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) executor.pump(std::chrono::milliseconds(100));
    const double used = processCpuSeconds() - before;
    std::printf("open idle port for %d s: %.1f ms of processor time (%.3f %%), "
                "simulator thread included\n",
                seconds, used * 1000, used * 100 / seconds);
}

void unsolicitedRate(PumpedExecutor& executor) {
    // The bench plays the module itself, so it knows exactly what it sent.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master);
    unlockpt(master);
    termios t{};
    tcgetattr(master, &t);
    cfmakeraw(&t);
    tcsetattr(master, TCSANOW, &t);
    const std::string slave = ptsname(master);

    Tcom_form host;
    host.comport1.SetPort(slave);
    host.comport1.Open();
    int frames = 0, other = 0;
    const std::string expected = "RX > FF 01 06 10 1A 2B 3C 4D 5E 43 ";
    host.SetLineSink([&](const std::string& line) { line == expected ? ++frames : ++other; });
    const unsigned char tag[] = {0xFF, 0x01, 0x06, 0x10, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x43};

    // Frames are offered as fast as the host takes them: a new one as soon as
    // the previous one has been logged.
    const int total = 5000;
    const auto start = Clock::now();
    int sent = 0;
    while (sent < total) {
        if (frames + other == sent) {
            if (write(master, tag, sizeof tag) != static_cast<ssize_t>(sizeof tag)) break;
            ++sent;
        }
        executor.pump(std::chrono::milliseconds(50));
        if (Clock::now() - start > std::chrono::seconds(60)) break;
    }
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (frames + other < sent && Clock::now() < deadline) executor.pump(std::chrono::milliseconds(10));
    const double secs = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("unsolicited tag frames: %d sent, %d logged whole, %d other lines, %.0f frames/s\n",
                sent, frames, other, frames / secs);
    host.comport1.Close();
    close(master);
}

}  // namespace

int main(int argc, char** argv) {
    const int exchanges = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 10;
    PumpedExecutor executor;
    SetMainThreadExecutor(&executor);
    roundTrip(exchanges);
    idleCost(idleSeconds, executor);
    unsolicitedRate(executor);
    SetMainThreadExecutor(nullptr);
    return 0;
}

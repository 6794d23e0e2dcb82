// The server over a real pseudo-terminal, opened the way the host opens a port.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "ModuleBench.h"
#include "sim/SimulatorServer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kDeadline = std::chrono::seconds(5);

class HostPort {
public:
    explicit HostPort(const std::string& path, speed_t speed) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ >= 0) setSpeed(speed);
    }
    ~HostPort() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }
    void setSpeed(speed_t speed) {
        termios t{};
        ASSERT_EQ(tcgetattr(fd_, &t), 0);
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
        ASSERT_EQ(tcsetattr(fd_, TCSANOW, &t), 0);
    }
    void write(const Bytes& b) { ASSERT_EQ(::write(fd_, b.data(), b.size()), ssize_t(b.size())); }
    // Reads until n bytes came or the deadline passed.
    Bytes read(size_t n) {
        Bytes out;
        const auto end = Clock::now() + kDeadline;
        while (out.size() < n && Clock::now() < end) {
            pollfd p{fd_, POLLIN, 0};
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            if (::poll(&p, 1, static_cast<int>(left.count()) + 1) <= 0) continue;
            uint8_t buf[256];
            const ssize_t r = ::read(fd_, buf, std::min(sizeof buf, n - out.size()));
            if (r > 0) out.insert(out.end(), buf, buf + r);
        }
        return out;
    }
    int waiting() const {
        int n = -1;
        ioctl(fd_, FIONREAD, &n);
        return n;
    }

private:
    int fd_ = -1;
};

bool waitFor(const std::function<bool()>& condition) {
    const auto end = Clock::now() + kDeadline;
    while (!condition()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // polling interval only
    }
    return true;
}

const Bytes kFirmware{0xFF, 0x01, 0x01, 0x50, 0x52};

}  // namespace

TEST(SimulatorServer, AnswersAHostAtTheModulesRate) {
    SimulatorServer server;
    server.start();
    ASSERT_EQ(server.devicePath().rfind("/dev/pts/", 0), 0u) << server.devicePath();
    HostPort host(server.devicePath(), B19200);
    ASSERT_TRUE(host.isOpen());

    host.write(kFirmware);
    const auto rs = replies(host.read(18));
    ASSERT_EQ(codes(rs), Bytes{0x50});
    EXPECT_EQ(std::string(rs[0].data.begin(), rs[0].data.end()), "ZQ361 SIM 1.0");
    EXPECT_EQ(server.receivedFrames(), std::vector<Bytes>{kFirmware});

    // A tag put into the field from outside reaches an armed read.
    server.clearReceivedFrames();
    host.write(SimulatedModule::makeFrame(0x10, {3, 1}));
    EXPECT_EQ(codes(replies(host.read(5))), Bytes{0x99});
    server.withModule([](SimulatedModule& m) { m.setTagInField(true); });
    EXPECT_EQ(codes(replies(host.read(10))), Bytes{0x10});
    EXPECT_EQ(server.receivedFrames().size(), 1u);
}

TEST(SimulatorServer, HearsAndAnswersOnlyAtTheModulesRate) {
    SimulatorServer server;
    server.start();
    HostPort host(server.devicePath(), B9600);
    ASSERT_TRUE(host.isOpen());

    host.write(kFirmware);
    ASSERT_TRUE(waitFor([&] { return server.ignoredInputBytes() == kFirmware.size(); }));
    EXPECT_TRUE(server.receivedFrames().empty());

    // The module talks at 19200 while the host listens at 9600: lost.
    host.setSpeed(B19200);
    host.write(SimulatedModule::makeFrame(0x10, {3, 1}));
    EXPECT_EQ(codes(replies(host.read(5))), Bytes{0x99});
    host.setSpeed(B9600);
    server.withModule([](SimulatedModule& m) { m.setTagInField(true); });
    ASSERT_TRUE(waitFor([&] { return server.droppedOutputBytes() == 10; }));
    EXPECT_EQ(host.waiting(), 0);
}

TEST(SimulatorServer, AfterSetBaudAndAPowerCycleTheModuleTalksOnlyAtTheNewRate) {
    SimulatorServer server;
    server.start();
    HostPort host(server.devicePath(), B19200);
    ASSERT_TRUE(host.isOpen());

    host.write(SimulatedModule::makeFrame(0x52, {4}));
    EXPECT_EQ(codes(replies(host.read(5))), Bytes{0x99});
    host.write(kFirmware);  // still 19200 until the power cycle
    EXPECT_EQ(codes(replies(host.read(18))), Bytes{0x50});

    server.powerCycle();
    host.write(kFirmware);
    ASSERT_TRUE(waitFor([&] { return server.ignoredInputBytes() == kFirmware.size(); }));

    host.setSpeed(B115200);
    host.write(kFirmware);
    EXPECT_EQ(codes(replies(host.read(18))), Bytes{0x50});
}

TEST(SimulatorServer, StopsAndStartsAgainWithTheSameModule) {
    SimulatorServer server;
    server.start();
    server.withModule([](SimulatedModule& m) { m.setFirmwareVersion("9.9"); });
    server.stop();
    server.start();
    HostPort host(server.devicePath(), B19200);
    ASSERT_TRUE(host.isOpen());
    host.write(kFirmware);
    const auto rs = replies(host.read(8));
    ASSERT_EQ(rs.size(), 1u);
    EXPECT_EQ(rs[0].data, (Bytes{'9', '.', '9'}));
}

// The server over a real pseudo-terminal, opened the way the host opens a port.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>

#include "ModuleBench.h"
#include "sim/SimulatorServer.h"
#include "support/PtyPair.h"

namespace {

const Bytes kFirmware{0xFF, 0x01, 0x01, 0x50, 0x52};

struct HostPort {
    int fd;
    HostPort(const std::string& path, speed_t speed)
        : fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
        if (fd >= 0) setSpeed(speed);
    }
    ~HostPort() {
        if (fd >= 0) ::close(fd);
    }
    void setSpeed(speed_t speed) {
        termios t{};
        ASSERT_EQ(tcgetattr(fd, &t), 0);
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
        ASSERT_EQ(tcsetattr(fd, TCSANOW, &t), 0);
    }
    void write(const Bytes& b) { ASSERT_EQ(::write(fd, b.data(), b.size()), ssize_t(b.size())); }
    // Reads until n bytes came or five seconds passed.
    Bytes read(size_t n) {
        Bytes out;
        WaitUntil([&] {
            uint8_t buf[256];
            const ssize_t r = ::read(fd, buf, std::min(sizeof buf, n - out.size()));
            if (r > 0) out.insert(out.end(), buf, buf + r);
            return out.size() >= n;
        });
        return out;
    }
};

}  // namespace

TEST(SimulatorServer, AnswersAHostAtTheModulesRateAndLosesBytesAtAnotherBothWays) {
    SimulatorServer server;
    server.start();
    char target[64] = {};
    ASSERT_GT(readlink(server.devicePath().c_str(), target, sizeof target - 1), 0);
    ASSERT_EQ(std::string(target).rfind("/dev/pts/", 0), 0u) << target;
    HostPort host(server.devicePath(), B19200);
    ASSERT_GE(host.fd, 0);

    host.write(kFirmware);
    const auto rs = replies(host.read(18));
    ASSERT_EQ(codes(rs), Bytes{0x50});
    EXPECT_EQ(std::string(rs[0].data.begin(), rs[0].data.end()), "ZQ361 SIM 1.0");

    host.setSpeed(B9600);
    host.write(kFirmware);
    ASSERT_TRUE(WaitUntil([&] { return server.ignoredInputBytes() == kFirmware.size(); }));
    EXPECT_EQ(server.receivedFrames(), std::vector<Bytes>{kFirmware});  // the first one only

    // An armed read answers at 19200 once the tag enters, while the host listens at 9600.
    host.setSpeed(B19200);
    host.write(SimulatedModule::makeFrame(0x10, {3, 1}));
    EXPECT_EQ(codes(replies(host.read(5))), Bytes{0x99});
    host.setSpeed(B9600);
    server.withModule([](SimulatedModule& m) { m.setTagInField(true); });
    ASSERT_TRUE(WaitUntil([&] { return server.droppedOutputBytes() == 10; }));
    int waiting = -1;
    ioctl(host.fd, FIONREAD, &waiting);
    EXPECT_EQ(waiting, 0);
}

TEST(SimulatorServer, UnplugHangsTheHostUpAndPlugInServesAgainUnderTheSameName) {
    SimulatorServer server;
    server.start();
    const std::string path = server.devicePath();
    HostPort before(path, B19200);
    ASSERT_GE(before.fd, 0);
    server.unplug();
    EXPECT_FALSE(server.pluggedIn());
    pollfd p{before.fd, POLLIN, 0};
    ASSERT_EQ(poll(&p, 1, 5000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
    EXPECT_NE(access(path.c_str(), F_OK), 0);

    server.plugIn();
    EXPECT_EQ(server.devicePath(), path);
    HostPort after(path, B19200);
    ASSERT_GE(after.fd, 0);
    after.write(kFirmware);
    EXPECT_EQ(codes(replies(after.read(18))), Bytes{0x50});
    server.stop();
    EXPECT_NE(access(path.substr(0, path.rfind('/')).c_str(), F_OK), 0);  // folder removed
}

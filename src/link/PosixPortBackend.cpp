// The serial device on POSIX systems (termios), with Linux extensions where
// the kernel offers them: custom rates, error counters.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <mutex>

#ifdef __linux__
#include <linux/serial.h>
#include <sys/eventfd.h>
#endif

#include "link/PortBackend.h"

namespace {

using Clock = std::chrono::steady_clock;

// How often modem lines, error counters, the transmit queue and unread input
// are looked at while the event thread has nothing it can sleep on.
constexpr int kSamplePeriodMs = 50;

// EV_RXFLAG (0x0002) is never raised here: seeing the event byte would mean
// consuming input that belongs to the handler.
constexpr uint32_t kEvRxChar = 0x0001;
constexpr uint32_t kEvTxEmpty = 0x0004;
constexpr uint32_t kEvCTS = 0x0008;
constexpr uint32_t kEvDSR = 0x0010;
constexpr uint32_t kEvRLSD = 0x0020;
constexpr uint32_t kEvBreak = 0x0040;
constexpr uint32_t kEvErr = 0x0080;
constexpr uint32_t kEvRing = 0x0100;
constexpr uint32_t kEvRx80Full = 0x0400;
constexpr uint32_t kModemEvents = kEvCTS | kEvDSR | kEvRLSD | kEvRing;
constexpr uint32_t kCounterEvents = kEvBreak | kEvErr | kEvRing;

// Pseudo-terminals and some drivers have no modem lines or counters.
bool Unsupported(int error) { return error == ENOTTY || error == EINVAL; }

#ifdef __linux__
// The kernel's termios2 (glibc does not declare it and <asm/termbits.h>
// collides with <termios.h>); TCGETS2/TCSETS2 come from <sys/ioctl.h>.
struct termios2 {
    tcflag_t c_iflag;
    tcflag_t c_oflag;
    tcflag_t c_cflag;
    tcflag_t c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed;
    speed_t c_ospeed;
};
#ifndef BOTHER
#define BOTHER 0010000
#endif
#ifndef IBSHIFT
#define IBSHIFT 16  // where termios2 keeps a separate input rate
#endif

struct Counters {
    int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0, rng = 0;
};

int ReadCounters(int fd, Counters& c) {
    serial_icounter_struct ic{};
    if (ioctl(fd, TIOCGICOUNT, &ic) != 0) return errno;
    c.frame = ic.frame;
    c.overrun = ic.overrun;
    c.parity = ic.parity;
    c.brk = ic.brk;
    c.bufOverrun = ic.buf_overrun;
    c.rng = ic.rng;
    return 0;
}
#endif

speed_t StandardSpeed(int32_t rate) {
    switch (rate) {
        case 110: return B110;
        case 300: return B300;
        case 600: return B600;
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        case 230400: return B230400;
        default: return B0;
    }
}

// Raw mode with the line's framing, flow control and special characters.
void FillLineFlags(tcflag_t& iflag, tcflag_t& oflag, tcflag_t& cflag, tcflag_t& lflag, cc_t* cc,
                   const PortLineSettings& line) {
    iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY |
               INPCK | IGNPAR);
    oflag &= ~OPOST;
    lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS | HUPCL);
#ifdef CMSPAR
    cflag &= ~CMSPAR;
#endif
    cflag |= CLOCAL | CREAD;
    static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    cflag |= kSizes[line.dataBits - 5];
    // With five data bits a UART's "two" stop bits are one and a half.
    if (line.stopBits != sbOneStopBit) cflag |= CSTOPB;
    switch (line.parity) {
        case prNone: break;
        case prOdd: cflag |= PARENB | PARODD; break;
        case prEven: cflag |= PARENB; break;
#ifdef CMSPAR
        case prMark: cflag |= PARENB | PARODD | CMSPAR; break;
        case prSpace: cflag |= PARENB | CMSPAR; break;
#else
        default: cflag |= PARENB; break;  // no stick parity here
#endif
    }
    if (line.parityCheck) iflag |= INPCK;
    if (line.outCTSFlow) cflag |= CRTSCTS;
    if (line.xonXoffOut) iflag |= IXON;
    if (line.xonXoffIn) iflag |= IXOFF;
    cc[VSTART] = line.xonChar;
    cc[VSTOP] = line.xoffChar;
    cc[VMIN] = 0;
    cc[VTIME] = 0;
}

class PosixPortBackend final : public PortBackend {
public:
    ~PosixPortBackend() override { close(); }

    int open(const std::string& path, const PortLineSettings& line) override {
        close();
        // A typed path may name a file or a folder: never open those.
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && !S_ISCHR(st.st_mode))
            return S_ISDIR(st.st_mode) ? EISDIR : ENOTTY;
        int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return errno;
        if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
            ::close(fd);
            return ENOTTY;
        }
        // The lock is what keeps a second opener out: TIOCEXCL alone races and
        // does not stop a privileged process.
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(fd);
        if (ioctl(fd, TIOCEXCL) != 0 && !Unsupported(errno)) return fail(fd);
        termios t{};
        if (tcgetattr(fd, &t) != 0) return fail(fd);
        // Closing must leave the control lines where the program put them.
        t.c_cflag &= ~HUPCL;
        if (tcsetattr(fd, TCSANOW, &t) != 0) return fail(fd);
        const int error = setControlLines(fd, line);
        if (error != 0) {
            ::close(fd);
            return error;
        }
#ifdef __linux__
        wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wakeFd_ < 0) return fail(fd);
#else
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return fail(fd);
        for (int p : pipeFds) fcntl(p, F_SETFL, O_NONBLOCK);
        wakeFd_ = pipeFds[0];
        wakeWriteFd_ = pipeFds[1];
#endif
        fd_ = fd;
#ifdef __linux__
        // Errors from before this opening are not ours to report.
        std::lock_guard<std::mutex> lock(errorsMutex_);
        errorBase_ = Counters();
        ReadCounters(fd_, errorBase_);
#endif
        return 0;
    }

    void close() override {
        if (fd_ >= 0) {
            ioctl(fd_, TIOCNXCL);
            ::close(fd_);
            fd_ = -1;
        }
        if (wakeFd_ >= 0) ::close(wakeFd_);
        if (wakeWriteFd_ >= 0) ::close(wakeWriteFd_);
        wakeFd_ = wakeWriteFd_ = -1;
    }

    bool isOpen() const override { return fd_ >= 0; }

    // The kernel sizes its tty queues itself.
    int applyBuffers(int32_t, int32_t) override { return fd_ >= 0 ? 0 : EBADF; }

    int applyLine(const PortLineSettings& line) override {
        if (line.dataBits < 5 || line.dataBits > 8 || line.baudRate <= 0) return EINVAL;
#ifdef __linux__
        // termios2 carries any rate, and setting it directly keeps glibc from
        // calling a pseudo-terminal's ignored parity bits a failure.
        termios2 t{};
        if (ioctl(fd_, TCGETS2, &t) != 0) return errno;
#else
        termios t{};
        if (tcgetattr(fd_, &t) != 0) return errno;
#endif
        FillLineFlags(t.c_iflag, t.c_oflag, t.c_cflag, t.c_lflag, t.c_cc, line);
        const speed_t speed = StandardSpeed(line.baudRate);
#ifdef __linux__
        t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
        t.c_cflag |= speed != B0 ? speed : BOTHER;
        t.c_ispeed = t.c_ospeed = static_cast<speed_t>(line.baudRate);
        if (ioctl(fd_, TCSETS2, &t) != 0) return errno;
#else
        if (speed == B0) return EINVAL;
        if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0) return errno;
        if (tcsetattr(fd_, TCSANOW, &t) != 0) return errno;
#endif
        return setControlLines(fd_, line);
    }

    int applyTimeouts(const PortTimeouts& timeouts) override {
        if (fd_ < 0) return EBADF;
        std::lock_guard<std::mutex> lock(timeoutsMutex_);
        timeouts_ = timeouts;
        return 0;
    }

    // Reads never wait: the component's reads take what the queue holds.
    int read(void* buffer, int32_t count, int32_t& done) override {
        done = 0;
        if (count <= 0) return fd_ >= 0 ? 0 : EBADF;
        const ssize_t n = ::read(fd_, buffer, static_cast<size_t>(count));
        if (n < 0) return (errno == EAGAIN || errno == EINTR) ? 0 : errno;
        done = static_cast<int32_t>(n);
        if (n > 0) inputTaken();
        return 0;
    }

    int write(const void* buffer, int32_t count, int32_t& done) override {
        done = 0;
        if (fd_ < 0) return EBADF;
        if (count <= 0) return 0;
        PortTimeouts t;
        {
            std::lock_guard<std::mutex> lock(timeoutsMutex_);
            t = timeouts_;
        }
        const int64_t totalMs =
            int64_t{t.writeTotalMultiplier} * count + int64_t{t.writeTotalConstant};
        // Both totals zero means no deadline at all.
        const bool limited = t.writeTotalMultiplier != 0 || t.writeTotalConstant != 0;
        const auto deadline = Clock::now() + std::chrono::milliseconds(totalMs);
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        int error = 0;
        while (done < count) {
            const ssize_t n = ::write(fd_, bytes + done, static_cast<size_t>(count - done));
            if (n > 0) {
                done += static_cast<int32_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN) {
                error = errno;
                break;
            }
            int waitMs = -1;
            if (limited) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - Clock::now());
                if (left.count() <= 0) break;
                waitMs = static_cast<int>(left.count());
            }
            pollfd p{fd_, POLLOUT, 0};
            const int r = poll(&p, 1, waitMs);
            if (r == 0) break;
            if (r < 0 && errno != EINTR) {
                error = errno;
                break;
            }
            if (r > 0 && (p.revents & (POLLERR | POLLNVAL))) {
                error = EIO;
                break;
            }
        }
        if (done > 0) {
            ++writeSeq_;
            wake();
        }
        return error;
    }

    int inputCount(int32_t& count) override {
        int n = 0;
        if (ioctl(fd_, FIONREAD, &n) != 0) return errno;
        count = n;
        return 0;
    }

    int purge(bool input, bool output) override {
        if (!input && !output) return fcntl(fd_, F_GETFD) < 0 ? errno : 0;
        const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
        if (tcflush(fd_, which) != 0) return errno;
        if (input) inputTaken();
        return 0;
    }

    // Reads and writes finish before they return, so nothing is outstanding;
    // only a handle that is no longer valid fails here.
    int abortPending() override { return fcntl(fd_, F_GETFD) < 0 ? errno : 0; }

    int modem(uint32_t& bits) override { return modemOf(fd_, bits); }

    int errors(uint32_t& bits) override {
        bits = 0;
        if (fd_ < 0) return EBADF;
#ifdef __linux__
        Counters now;
        const int error = ReadCounters(fd_, now);
        if (error != 0) return Unsupported(error) ? 0 : error;
        std::lock_guard<std::mutex> lock(errorsMutex_);
        if (now.frame != errorBase_.frame) bits |= 0x0008;
        if (now.parity != errorBase_.parity) bits |= 0x0004;
        if (now.overrun != errorBase_.overrun) bits |= 0x0002;
        if (now.bufOverrun != errorBase_.bufOverrun) bits |= 0x0001;
        if (now.brk != errorBase_.brk) bits |= 0x0010;
        errorBase_ = now;
#endif
        return 0;
    }

    int waitInput(int32_t microseconds, bool& ready) override {
        ready = false;
        int32_t count = 0;
        int error = inputCount(count);
        if (error != 0) return error;
        if (count > 0 || microseconds <= 0) {
            ready = count > 0;
            return 0;
        }
        const timespec timeout{microseconds / 1000000, (microseconds % 1000000) * 1000L};
        pollfd p{fd_, POLLIN, 0};
        const int r = ppoll(&p, 1, &timeout, nullptr);
        if (r < 0 && errno != EINTR) return errno;
        if (r > 0 && !(p.revents & POLLIN)) {
            // A hung-up device answers at once; keep the caller's pace anyway.
            timespec rest = timeout;
            while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
            }
        }
        error = inputCount(count);
        if (error != 0) return error;
        ready = count > 0;
        return 0;
    }

    bool deviceGone(int error) const override {
        return error == EIO || error == ENXIO || error == ENODEV;
    }

    void eventsBegin(uint32_t mask, int32_t rx80Threshold) override {
        mask_ = mask;
        rx80Threshold_ = rx80Threshold;
        stop_ = false;
        gone_ = false;
        lastCount_ = 0;
        lastReadSeq_ = readSeq_.load();
        lastWriteSeq_ = writeSeq_.load();
        lastModem_ = 0;
        // A pseudo-terminal has no modem lines: asking at every look would
        // cost a system call for nothing, and a timer that never sleeps.
        int lines = 0;
        modemKnown_ = ioctl(fd_, TIOCMGET, &lines) == 0 || !Unsupported(errno);
        modemOf(fd_, lastModem_);
#ifdef __linux__
        countersKnown_ = ReadCounters(fd_, lastCounters_) == 0;
#endif
    }

    EventWait waitEvents(uint32_t& events) override {
        events = 0;
        const bool wantRx = (mask_ & (kEvRxChar | kEvRx80Full)) != 0;
        for (;;) {
            if (stop_) return EventWait::Stopped;
            if (gone_) return EventWait::DeviceGone;
            const bool txPending = (mask_ & kEvTxEmpty) && writeSeq_ != lastWriteSeq_;
            // poll() keeps reporting bytes nobody has read: while some wait,
            // only the timer can wake us up. The device itself stays watched,
            // since a hang-up is reported whatever was asked for.
            const bool watchInput = wantRx && lastCount_ == 0;
            const bool sample = (modemKnown_ && (mask_ & kModemEvents)) ||
                                (countersKnown_ && (mask_ & kCounterEvents)) || txPending ||
                                (wantRx && lastCount_ > 0);
            pollfd fds[2] = {{wakeFd_, POLLIN, 0},
                             {fd_, static_cast<short>(watchInput ? POLLIN : 0), 0}};
            // Reads nudge only a sleeping thread (see inputTaken), so one made
            // while this thread was away is looked at without sleeping.
            sleeping_ = true;
            const bool readSince = wantRx && readSeq_ != lastReadSeq_;
            const int r = poll(fds, 2, readSince ? 0 : sample ? kSamplePeriodMs : -1);
            sleeping_ = false;
            if (r < 0 && errno != EINTR) return EventWait::Stopped;
            if (fds[0].revents & POLLIN) drainWake();
            if (stop_) return EventWait::Stopped;
            // A tty reports these only once it has been hung up for good.
            if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) gone_ = true;
            events = sampleEvents() & mask_;
            if (events != 0) return EventWait::Events;
        }
    }

    void wakeEvents() override {
        stop_ = true;
        wake();
    }

    void eventsEnd() override {
        mask_ = 0;
        if (fd_ >= 0) tcflush(fd_, TCIOFLUSH);
    }

private:
    static int fail(int fd) {
        const int error = errno;
        ::close(fd);
        return error;
    }

    static int modemOf(int fd, uint32_t& bits) {
        bits = 0;
        int lines = 0;
        if (ioctl(fd, TIOCMGET, &lines) != 0) return Unsupported(errno) ? 0 : errno;
        if (lines & TIOCM_CTS) bits |= 0x10;
        if (lines & TIOCM_DSR) bits |= 0x20;
        if (lines & TIOCM_RI) bits |= 0x40;
        if (lines & TIOCM_CD) bits |= 0x80;
        return 0;
    }

    // Linux has no receive-only RTS handshake, and CRTSCTS would stall output
    // to a module that never drives CTS: a handshake holds its line active.
    static int setControlLines(int fd, const PortLineSettings& line) {
        int on = 0;
        int off = 0;
        (line.dtrControl == dtrDisable ? off : on) |= TIOCM_DTR;
        if (!line.outCTSFlow)
            (line.rtsControl == rtsEnable || line.rtsControl == rtsHandshake ? on : off) |=
                TIOCM_RTS;
        if (on != 0 && ioctl(fd, TIOCMBIS, &on) != 0 && !Unsupported(errno)) return errno;
        if (off != 0 && ioctl(fd, TIOCMBIC, &off) != 0 && !Unsupported(errno)) return errno;
        return 0;
    }

    void wake() {
        const int fd = wakeWriteFd_ >= 0 ? wakeWriteFd_ : wakeFd_;
        if (fd < 0) return;
#ifdef __linux__
        const uint64_t one = 1;
        ssize_t ignored = ::write(fd, &one, sizeof one);
#else
        const char one = 1;
        ssize_t ignored = ::write(fd, &one, 1);
#endif
        (void)ignored;
    }

    // While bytes wait unread the event thread sleeps on its timer; a read
    // wakes it at once, so bytes behind the ones taken are reported without
    // waiting out the period. A thread that is not asleep (it is handing an
    // event over, so reads come by the dozen) checks readSeq_ before it
    // sleeps: sparing it the nudge spares two system calls per read.
    void inputTaken() {
        ++readSeq_;
        if (sleeping_) wake();
    }

    void drainWake() {
        uint64_t buffer[8];
        while (::read(wakeFd_, buffer, sizeof buffer) > 0) {
        }
    }

    uint32_t sampleEvents() {
        uint32_t events = 0;
        if (mask_ & (kEvRxChar | kEvRx80Full)) {
            int n = 0;
            // Taken first: a read racing the count is then looked at again.
            const uint64_t seq = readSeq_;
            if (ioctl(fd_, FIONREAD, &n) == 0) {
                // New bytes: the count grew, or someone read since the last look.
                if (n > 0 && (n > lastCount_ || seq != lastReadSeq_)) events |= kEvRxChar;
                if (rx80Threshold_ > 0 && lastCount_ < rx80Threshold_ && n >= rx80Threshold_)
                    events |= kEvRx80Full;
                lastCount_ = n;
            } else if (deviceGone(errno)) {
                gone_ = true;
                lastCount_ = 0;
            }
            // Even when the count failed, or waitEvents would never sleep again.
            lastReadSeq_ = seq;
        }
        if (mask_ & kEvTxEmpty) {
            const uint64_t seq = writeSeq_;
            if (seq != lastWriteSeq_) {
                int queued = 0;
                if (ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued == 0) {
                    lastWriteSeq_ = seq;
                    events |= kEvTxEmpty;
                }
            }
        }
        if (modemKnown_ && (mask_ & kModemEvents)) {
            uint32_t bits = 0;
            if (modemOf(fd_, bits) == 0) {
                const uint32_t changed = bits ^ lastModem_;
                if (changed & 0x10) events |= kEvCTS;
                if (changed & 0x20) events |= kEvDSR;
                if (changed & 0x80) events |= kEvRLSD;
                // Without counters a ring is the indicator going on.
                if (!countersKnown_ && (bits & 0x40) && !(lastModem_ & 0x40)) events |= kEvRing;
                lastModem_ = bits;
            }
        }
#ifdef __linux__
        if (countersKnown_ && (mask_ & kCounterEvents)) {
            Counters now;
            if (ReadCounters(fd_, now) == 0) {
                if (now.brk != lastCounters_.brk) events |= kEvBreak;
                if (now.frame != lastCounters_.frame || now.overrun != lastCounters_.overrun ||
                    now.parity != lastCounters_.parity ||
                    now.bufOverrun != lastCounters_.bufOverrun)
                    events |= kEvErr;
                if (now.rng != lastCounters_.rng) events |= kEvRing;
                lastCounters_ = now;
            }
        }
#endif
        return events;
    }

    int fd_ = -1;
    int wakeFd_ = -1;
    int wakeWriteFd_ = -1;  // only where the wake-up is a pipe

    std::mutex timeoutsMutex_;
    PortTimeouts timeouts_;

    // Shared with the event thread.
    std::atomic<uint64_t> readSeq_{0};   // bumped by reads that took bytes and input purges
    std::atomic<uint64_t> writeSeq_{0};  // bumped by writes that sent bytes
    std::atomic<bool> stop_{false};
    std::atomic<bool> sleeping_{false};  // the event thread is in (or about to enter) poll()

    // Event thread only (set up by eventsBegin before the thread starts).
    uint32_t mask_ = 0;
    int32_t rx80Threshold_ = 0;
    bool gone_ = false;
    int lastCount_ = 0;
    uint64_t lastReadSeq_ = 0;
    uint64_t lastWriteSeq_ = 0;
    uint32_t lastModem_ = 0;
    bool modemKnown_ = false;
    bool countersKnown_ = false;
#ifdef __linux__
    Counters lastCounters_;
    std::mutex errorsMutex_;
    Counters errorBase_;
#endif
};

}  // namespace

std::unique_ptr<PortBackend> CreatePortBackend() { return std::make_unique<PosixPortBackend>(); }

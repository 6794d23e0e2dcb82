#include "sim/PseudoTerminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace {
[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}
}  // namespace

PseudoTerminal::~PseudoTerminal() { close(); }

void PseudoTerminal::open() {
    close();
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) fail("posix_openpt");
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        const int e = errno;
        close();
        errno = e;
        fail("grantpt/unlockpt");
    }
    char name[128];
    if (ptsname_r(m_master, name, sizeof name) != 0) {
        const int e = errno;
        close();
        errno = e;
        fail("ptsname_r");
    }
    m_slavePath = name;
    const int flags = fcntl(m_master, F_GETFL);
    fcntl(m_master, F_SETFL, flags | O_NONBLOCK);

    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_slave < 0) {
        const int e = errno;
        close();
        errno = e;
        fail("open pty slave");
    }
    termios t{};
    if (tcgetattr(m_slave, &t) == 0) {
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&t, B19200);
        cfsetospeed(&t, B19200);
        tcsetattr(m_slave, TCSANOW, &t);
    }
}

void PseudoTerminal::close() {
    if (m_slave >= 0) ::close(m_slave);
    if (m_master >= 0) ::close(m_master);
    m_slave = m_master = -1;
    m_slavePath.clear();
}

uint32_t PseudoTerminal::hostBaudRate() const {
    return m_master < 0 ? 0 : terminalOutputRate(m_master);
}

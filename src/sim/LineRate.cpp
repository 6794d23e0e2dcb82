// Kept apart: the kernel's termios2 header clashes with the C library's <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include "sim/PseudoTerminal.h"

uint32_t terminalOutputRate(int fd) {
    // On a pty master this reads the slave's settings; the kernel keeps
    // c_ospeed filled in for standard rates as well as custom ones.
    struct termios2 t;
    if (ioctl(fd, TCGETS2, &t) != 0) return 0;
    return t.c_ospeed;
}

#include "CustomBaud.h"

// The kernel's own termios2 definitions clash with <termios.h>, so this file
// includes only them.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace platform {

bool SetCustomBaud(int fd, unsigned speed) {
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0) {
        return false;
    }
    settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ospeed = speed;
    settings.c_ispeed = speed;
    return ioctl(fd, TCSETS2, &settings) == 0;
}

bool GetCustomBaud(int fd, unsigned* speed) {
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0) {
        return false;
    }
    *speed = settings.c_ospeed;
    return true;
}

}  // namespace platform

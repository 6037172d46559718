#include "serial/posix/TermiosSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

bool setTerminalSpeed(int fd, std::uint32_t baudRate)
{
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0) {
        return false;
    }
    settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = baudRate;
    settings.c_ospeed = baudRate;
    return ioctl(fd, TCSETS2, &settings) == 0;
}

bool readTerminalSpeed(int fd, std::uint32_t& inputBaud, std::uint32_t& outputBaud)
{
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0) {
        return false;
    }
    inputBaud = settings.c_ispeed;
    outputBaud = settings.c_ospeed;
    return true;
}

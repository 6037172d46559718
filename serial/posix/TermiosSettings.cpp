#include "serial/posix/TermiosSettings.h"

namespace {

// The B constant for a standard speed, or 0 when termios2 must carry it.
speed_t standardSpeed(std::uint32_t baud)
{
    switch (baud) {
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
    default: return 0;
    }
}

tcflag_t byteSize(int dataBits)
{
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

} // namespace

bool applyLineSettings(termios& tio, const LineSettings& settings)
{
    const tcflag_t currentParity = tio.c_cflag & (PARENB | PARODD);

    // Raw mode: no line editing, no echo, no signals, no translations.
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR
                                          | ICRNL | IXANY);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    // CLOCAL: a carrier drop is read through carrierDetected, it must not hang
    // up the descriptor. HUPCL: DTR drops on close so the modem ends the call.
    tio.c_cflag |= CREAD | CLOCAL | HUPCL;
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
    tio.c_cflag |= byteSize(settings.dataBits);
    switch (settings.parityCode) {
    case 0: break;
    case 1: tio.c_cflag |= PARENB | PARODD; break;
    case 2: tio.c_cflag |= PARENB; break;
    default: tio.c_cflag |= currentParity; break;
    }
    // Code 1 is one stop bit; 2 is two; anything else is one and a half, which
    // a UART gives for CSTOPB with 5 data bits.
    if (settings.stopBitsCode != 1) {
        tio.c_cflag |= CSTOPB;
    }
    tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VSTART] = 17;
    tio.c_cc[VSTOP] = 19;
    // With O_NONBLOCK an empty queue then reads as EAGAIN, and 0 means hang-up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;

    const speed_t speed = standardSpeed(settings.baudRate);
    if (speed == 0) {
        return false;
    }
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    return true;
}

#include "serial/posix/PosixSerialDevice.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "serial/posix/TermiosSettings.h"
#include "serial/posix/TermiosSpeed.h"

namespace {

long long nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

PosixSerialDevice::PosixSerialDevice(std::string path)
    : m_path(std::move(path))
{
}

PosixSerialDevice::~PosixSerialDevice()
{
    close();
}

bool PosixSerialDevice::open(const LineSettings& settings)
{
    close();
    if (settings.baudRate == 0 || settings.dataBits < 5 || settings.dataBits > 8) {
        return false;
    }
    m_fd = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        return false;
    }
    // The advisory lock is what another program taking the same lock runs
    // into, root or not; TIOCEXCL then keeps other (non-root) openers out. The
    // lock comes first so a refused opener never touches the holder's TIOCEXCL.
    if (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        close();
        return false;
    }
    m_holdsLock = true;
    if (ioctl(m_fd, TIOCEXCL) != 0 || !applySettings(settings)) {
        close();
        return false;
    }
    m_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_wakeFd < 0) {
        close();
        return false;
    }
    m_gone.store(false);
    return true;
}

bool PosixSerialDevice::applySettings(const LineSettings& settings)
{
    termios tio {};
    if (tcgetattr(m_fd, &tio) != 0) {
        return false;
    }
    const bool standard = applyLineSettings(tio, settings);
    if (tcsetattr(m_fd, TCSANOW, &tio) != 0) {
        return false;
    }
    return standard || setTerminalSpeed(m_fd, settings.baudRate);
}

void PosixSerialDevice::close()
{
    if (m_fd >= 0) {
        if (m_holdsLock) {
            ioctl(m_fd, TIOCNXCL);
            flock(m_fd, LOCK_UN);
            m_holdsLock = false;
        }
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_wakeFd >= 0) {
        ::close(m_wakeFd);
        m_wakeFd = -1;
    }
}

void PosixSerialDevice::purge()
{
    if (m_fd >= 0) {
        tcflush(m_fd, TCIOFLUSH);
    }
}

DeviceWait PosixSerialDevice::waitForInput()
{
    if (m_fd < 0 || m_wakeFd < 0 || m_gone.load()) {
        return DeviceWait::Gone;
    }
    for (;;) {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        const int ready = poll(fds, 2, -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            m_gone.store(true);
            return DeviceWait::Gone;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            eventfd_t value = 0;
            eventfd_read(m_wakeFd, &value);
            return DeviceWait::Woken;
        }
        // Bytes that arrived before a hang-up are still read out first.
        if ((fds[0].revents & POLLIN) != 0) {
            return DeviceWait::Readable;
        }
        if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            m_gone.store(true);
            return DeviceWait::Gone;
        }
    }
}

void PosixSerialDevice::wake()
{
    if (m_wakeFd >= 0) {
        eventfd_write(m_wakeFd, 1);
    }
}

std::size_t PosixSerialDevice::readAvailable(std::uint8_t* buffer, std::size_t capacity)
{
    if (m_fd < 0 || m_gone.load() || capacity == 0) {
        return 0;
    }
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, capacity);
        if (got > 0) {
            return static_cast<std::size_t>(got);
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return 0;
        }
        // End of file on a tty in this mode, or EIO: the device hung up.
        m_gone.store(true);
        return 0;
    }
}

std::size_t PosixSerialDevice::write(const std::uint8_t* data, std::size_t length, int timeoutMs)
{
    if (m_fd < 0 || m_gone.load() || data == nullptr) {
        return 0;
    }
    const long long deadline = nowMs() + (timeoutMs > 0 ? timeoutMs : 0);
    std::size_t written = 0;
    while (written < length) {
        const ssize_t sent = ::write(m_fd, data + written, length - written);
        if (sent > 0) {
            written += static_cast<std::size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const long long left = deadline - nowMs();
            if (left <= 0) {
                break;
            }
            pollfd fd {m_fd, POLLOUT, 0};
            if (poll(&fd, 1, static_cast<int>(left)) < 0 && errno != EINTR) {
                break;
            }
            if ((fd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                m_gone.store(true);
                break;
            }
            continue;
        }
        if (sent < 0 && errno == EIO) {
            m_gone.store(true);
        }
        break;
    }
    if (written > 0) {
        drainOutput(deadline);
    }
    return written;
}

void PosixSerialDevice::drainOutput(long long deadlineMs)
{
    for (;;) {
        int pending = 0;
        if (ioctl(m_fd, TIOCOUTQ, &pending) != 0 || pending <= 0) {
            return;
        }
        if (nowMs() >= deadlineMs) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool PosixSerialDevice::outputLeft()
{
    int pending = 0;
    return m_fd < 0 || m_gone.load() || ioctl(m_fd, TIOCOUTQ, &pending) != 0 || pending <= 0;
}

bool PosixSerialDevice::carrierDetected()
{
    if (m_fd < 0 || m_gone.load()) {
        return false;
    }
    int status = 0;
    if (ioctl(m_fd, TIOCMGET, &status) != 0) {
        return false;
    }
    return (status & TIOCM_CAR) != 0;
}

#include "bench/PtyFeeder.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "bench/ProcessCpu.h"

namespace {

// What one write may hand the pseudo-terminal at full speed.
constexpr std::size_t floodChunk = 4096;
// Give up when the pseudo-terminal takes nothing for this long.
constexpr int stuckMs = 10000;

}  // namespace

PtyFeeder::~PtyFeeder()
{
    join();
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyFeeder::open()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return false;
    const char* name = ptsname(m_master);
    if (name == nullptr)
        return false;
    m_slavePath = name;
    // Raw until the window applies its own line settings.
    const int slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0)
        return false;
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    ::close(slave);
    return true;
}

void PtyFeeder::start(Traffic traffic, int bytesPerSecond, int chunkMs)
{
    join();
    m_traffic = std::move(traffic);
    m_wroteAll = false;
    m_finished = false;
    m_writer = std::thread([this, bytesPerSecond, chunkMs] { writeLoop(bytesPerSecond, chunkMs); });
}

void PtyFeeder::join()
{
    if (m_writer.joinable())
        m_writer.join();
}

void PtyFeeder::writeLoop(int bytesPerSecond, int chunkMs)
{
    const double cpuAtStart = threadCpuSeconds();
    const std::size_t total = m_traffic.total;
    m_firstByte = Clock::now();
    std::size_t sent = 0;
    bool ok = true;
    if (bytesPerSecond <= 0) {
        ok = writeRange(0, total) && writeSome(m_traffic.tail.data(), m_traffic.tail.size());
    } else {
        const auto start = m_firstByte;
        auto next = start;
        while (ok && sent < total) {
            next += std::chrono::milliseconds(chunkMs);
            std::this_thread::sleep_until(next);
            const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
            const auto due = std::min(total, static_cast<std::size_t>(elapsed * bytesPerSecond));
            if (due > sent) {
                ok = writeRange(sent, due);
                sent = due;
            }
            discardEcho();
        }
    }
    m_wroteAll = ok;
    m_writerCpu = threadCpuSeconds() - cpuAtStart;
    m_finished = true;
}

bool PtyFeeder::writeRange(std::size_t from, std::size_t to)
{
    const std::string& period = m_traffic.period;
    while (from < to) {
        const std::size_t offset = from % period.size();
        const std::size_t length = std::min({floodChunk, to - from, period.size() - offset});
        if (!writeSome(period.data() + offset, length))
            return false;
        from += length;
    }
    return true;
}

// Writes every byte, waiting while the pseudo-terminal's buffers are full.
bool PtyFeeder::writeSome(const char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(m_master, data, length);
        if (n > 0) {
            data += n;
            length -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        discardEcho();
        pollfd p{m_master, POLLOUT, 0};
        if (::poll(&p, 1, stuckMs) <= 0)
            return false;
    }
    return true;
}

void PtyFeeder::discardEcho()
{
    char buffer[256];
    while (::read(m_master, buffer, sizeof buffer) > 0) {
    }
}

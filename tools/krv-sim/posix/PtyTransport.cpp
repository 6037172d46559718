#include "tools/krv-sim/PtyTransport.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "serial/rfc2217/TcpSocket.h"
#include "tools/krv-sim/Transcript.h"

namespace {

const char* const transcriptSource = "pty";

}  // namespace

PtyTransport::PtyTransport(std::unique_ptr<LineEndpoint> endpoint, Transcript* transcript)
    : m_endpoint(std::move(endpoint)), m_transcript(transcript)
{
}

PtyTransport::~PtyTransport()
{
    if (m_slaveFd >= 0) {
        ::close(m_slaveFd);
    }
    if (m_masterFd >= 0) {
        ::close(m_masterFd);
    }
}

bool PtyTransport::open(std::string& error)
{
    m_masterFd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_masterFd < 0 || ::grantpt(m_masterFd) != 0 || ::unlockpt(m_masterFd) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ::ptsname(m_masterFd);
    if (name == nullptr) {
        error = "no slave name for the pseudo-terminal";
        return false;
    }
    m_slavePath = name;
    m_slaveFd = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slaveFd >= 0) {
        termios raw{};
        if (::tcgetattr(m_slaveFd, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::tcsetattr(m_slaveFd, TCSANOW, &raw);
        }
    }
    ::fcntl(m_masterFd, F_SETFL, ::fcntl(m_masterFd, F_GETFL) | O_NONBLOCK);
    return true;
}

void PtyTransport::step(int timeoutMs)
{
    pollfd p{m_masterFd, POLLIN, 0};
    ::poll(&p, 1, timeoutMs);
    const std::int64_t now = tcp::nowMs();
    if ((p.revents & POLLIN) != 0) {
        std::uint8_t chunk[4096];
        const ssize_t n = ::read(m_masterFd, chunk, sizeof chunk);
        if (n > 0) {
            if (m_transcript != nullptr) {
                m_transcript->fromTerminal(transcriptSource, chunk, static_cast<std::size_t>(n));
            }
            m_endpoint->receive(chunk, static_cast<std::size_t>(n), now);
        }
    }
    if (m_dropCarrier.exchange(false)) {
        m_endpoint->dropCarrier(now);
    }
    m_endpoint->tick(now);
    const std::string out = m_endpoint->takeOutput();
    if (out.empty()) {
        return;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(out.data());
    if (m_transcript != nullptr) {
        m_transcript->toTerminal(transcriptSource, bytes, out.size());
    }
    std::size_t sent = 0;
    const std::int64_t deadline = now + 1000;
    while (sent < out.size() && tcp::nowMs() < deadline) {
        const ssize_t n = ::write(m_masterFd, bytes + sent, out.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            break;
        } else {
            pollfd w{m_masterFd, POLLOUT, 0};
            ::poll(&w, 1, 50);
        }
    }
}

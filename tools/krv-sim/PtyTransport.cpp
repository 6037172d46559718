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

const char* const Source = "pty";

}  // namespace

PtyTransport::PtyTransport(std::unique_ptr<LineEndpoint> endpoint, Transcript* transcript)
    : endpoint_(std::move(endpoint)), transcript_(transcript)
{
}

PtyTransport::~PtyTransport()
{
    if (slaveFd_ >= 0) {
        ::close(slaveFd_);
    }
    if (masterFd_ >= 0) {
        ::close(masterFd_);
    }
}

bool PtyTransport::open(std::string& error)
{
    masterFd_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (masterFd_ < 0 || ::grantpt(masterFd_) != 0 || ::unlockpt(masterFd_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ::ptsname(masterFd_);
    if (name == nullptr) {
        error = "no slave name for the pseudo-terminal";
        return false;
    }
    slavePath_ = name;
    slaveFd_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveFd_ >= 0) {
        termios raw{};
        if (::tcgetattr(slaveFd_, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::tcsetattr(slaveFd_, TCSANOW, &raw);
        }
    }
    ::fcntl(masterFd_, F_SETFL, ::fcntl(masterFd_, F_GETFL) | O_NONBLOCK);
    return true;
}

void PtyTransport::step(int timeoutMs)
{
    pollfd p{masterFd_, POLLIN, 0};
    ::poll(&p, 1, timeoutMs);
    const std::int64_t now = tcp::nowMs();
    if ((p.revents & POLLIN) != 0) {
        std::uint8_t chunk[4096];
        const ssize_t n = ::read(masterFd_, chunk, sizeof chunk);
        if (n > 0) {
            if (transcript_ != nullptr) {
                transcript_->fromTerminal(Source, chunk, static_cast<std::size_t>(n));
            }
            endpoint_->receive(chunk, static_cast<std::size_t>(n), now);
        }
    }
    if (dropCarrier_.exchange(false)) {
        endpoint_->dropCarrier(now);
    }
    endpoint_->tick(now);
    const std::string out = endpoint_->takeOutput();
    if (out.empty()) {
        return;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(out.data());
    if (transcript_ != nullptr) {
        transcript_->toTerminal(Source, bytes, out.size());
    }
    std::size_t sent = 0;
    const std::int64_t deadline = now + 1000;
    while (sent < out.size() && tcp::nowMs() < deadline) {
        const ssize_t n = ::write(masterFd_, bytes + sent, out.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            break;
        } else {
            pollfd w{masterFd_, POLLOUT, 0};
            ::poll(&w, 1, 50);
        }
    }
}

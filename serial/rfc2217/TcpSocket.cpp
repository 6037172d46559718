#include "serial/rfc2217/TcpSocket.h"

#include <cerrno>
#include <ctime>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tcp {

std::int64_t nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

namespace {

int connectOne(const addrinfo* info, std::int64_t deadline)
{
    const int fd = ::socket(info->ai_family, info->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, info->ai_protocol);
    if (fd < 0) {
        return -1;
    }
    if (::connect(fd, info->ai_addr, info->ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            ::close(fd);
            return -1;
        }
        for (;;) {
            const std::int64_t left = deadline - nowMs();
            if (left <= 0) {
                ::close(fd);
                return -1;
            }
            pollfd p{fd, POLLOUT, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(left));
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready <= 0) {
                ::close(fd);
                return -1;
            }
            break;
        }
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
            ::close(fd);
            return -1;
        }
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

}  // namespace

int connectWithTimeout(const std::string& host, int port, int timeoutMs)
{
    if (port <= 0 || port > 65535 || host.empty()) {
        return -1;
    }
    const std::int64_t deadline = nowMs() + timeoutMs;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* list = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list) != 0) {
        return -1;
    }
    int fd = -1;
    for (const addrinfo* info = list; info != nullptr && fd < 0; info = info->ai_next) {
        fd = connectOne(info, deadline);
    }
    ::freeaddrinfo(list);
    return fd;
}

std::size_t sendAll(int fd, const std::uint8_t* data, std::size_t length, int timeoutMs)
{
    const std::int64_t deadline = nowMs() + (timeoutMs > 0 ? timeoutMs : 0);
    std::size_t sent = 0;
    while (sent < length) {
        const ssize_t n = ::send(fd, data + sent, length - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            break;
        }
        const std::int64_t left = deadline - nowMs();
        if (left <= 0) {
            break;
        }
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) {
            break;
        }
        if ((p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            break;
        }
    }
    return sent;
}

}  // namespace tcp

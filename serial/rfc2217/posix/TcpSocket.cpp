#include "serial/rfc2217/TcpSocket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tcp {

namespace {

int descriptor(Socket socket)
{
    return static_cast<int>(socket);
}

void setNoDelay(int fd)
{
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

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
    setNoDelay(fd);
    return fd;
}

}  // namespace

Socket connectWithTimeout(const std::string& host, int port, int timeoutMs)
{
    if (port <= 0 || port > 65535 || host.empty()) {
        return noSocket;
    }
    const std::int64_t deadline = nowMs() + timeoutMs;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* list = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list) != 0) {
        return noSocket;
    }
    int fd = -1;
    for (const addrinfo* info = list; info != nullptr && fd < 0; info = info->ai_next) {
        fd = connectOne(info, deadline);
    }
    ::freeaddrinfo(list);
    return fd < 0 ? noSocket : fd;
}

std::size_t sendAll(Socket socket, const std::uint8_t* data, std::size_t length, int timeoutMs)
{
    const int fd = descriptor(socket);
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

Received receiveNow(Socket socket, std::uint8_t* buffer, std::size_t capacity)
{
    for (;;) {
        const ssize_t n = ::recv(descriptor(socket), buffer, capacity, MSG_DONTWAIT);
        if (n > 0) {
            return {static_cast<std::size_t>(n), false};
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return {0, n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)};
    }
}

bool waitReadable(Socket socket, int timeoutMs)
{
    pollfd p{descriptor(socket), POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0;
}

void closeSocket(Socket socket)
{
    if (socket != noSocket) {
        ::close(descriptor(socket));
    }
}

Socket listenOn(const std::string& ipv4Address, int port, std::string& error)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::inet_pton(AF_INET, ipv4Address.c_str(), &address.sin_addr) != 1) {
        error = "not an IPv4 address: " + ipv4Address;
        return noSocket;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("cannot listen: ") + std::strerror(errno);
        return noSocket;
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0) {
        error = std::string("cannot listen: ") + std::strerror(errno);
        ::close(fd);
        return noSocket;
    }
    return fd;
}

Socket acceptNow(Socket listener)
{
    const int fd = ::accept4(descriptor(listener), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        return noSocket;
    }
    setNoDelay(fd);
    return fd;
}

int localPort(Socket socket)
{
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (::getsockname(descriptor(socket), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

Waker::Waker()
    : m_wakeSignal(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
    , m_socketSignal(-1)
{
}

Waker::~Waker()
{
    if (m_wakeSignal >= 0) {
        ::close(static_cast<int>(m_wakeSignal));
    }
}

void Waker::wake()
{
    if (m_wakeSignal >= 0) {
        [[maybe_unused]] const int result = ::eventfd_write(static_cast<int>(m_wakeSignal), 1);
    }
}

bool Waker::takeWake()
{
    eventfd_t count = 0;
    return m_wakeSignal >= 0 && ::eventfd_read(static_cast<int>(m_wakeSignal), &count) == 0;
}

Waker::Result Waker::wait(std::initializer_list<Socket> sockets, int timeoutMs)
{
    std::vector<pollfd> fds;
    fds.push_back({static_cast<int>(m_wakeSignal), POLLIN, 0});
    for (const Socket socket : sockets) {
        if (socket != noSocket) {
            fds.push_back({descriptor(socket), POLLIN, 0});
        }
    }
    const std::int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
        const int left = timeoutMs < 0 ? -1 : static_cast<int>(std::max<std::int64_t>(deadline - nowMs(), 0));
        const int ready = ::poll(fds.data(), fds.size(), left);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            return Result::TimedOut;
        }
        // A failed poll is handed on as readiness: the read that follows
        // finds the socket's fault and ends the connection.
        if (ready > 0 && (fds[0].revents & POLLIN) != 0 && takeWake()) {
            return Result::Woken;
        }
        return Result::Ready;
    }
}

}  // namespace tcp

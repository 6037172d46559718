#include "serial/rfc2217/TcpSocket.h"

#include <algorithm>
#include <climits>
#include <vector>

#include <winsock2.h>
#include <ws2tcpip.h>

namespace tcp {

namespace {

// Winsock is started once for the process and stays up until it ends.
bool winsockReady()
{
    static const bool ready = [] {
        WSADATA data {};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

SOCKET handleOf(Socket socket)
{
    return static_cast<SOCKET>(socket);
}

Socket socketOf(SOCKET handle)
{
    return handle == INVALID_SOCKET ? noSocket : static_cast<Socket>(handle);
}

int clampedMs(std::int64_t ms)
{
    return static_cast<int>(std::clamp<std::int64_t>(ms, 0, INT_MAX));
}

// Non-blocking, not inherited by child processes.
SOCKET newSocket(int family, int type, int protocol)
{
    const SOCKET handle = ::socket(family, type, protocol);
    if (handle == INVALID_SOCKET) {
        return handle;
    }
    u_long nonBlocking = 1;
    ::ioctlsocket(handle, FIONBIO, &nonBlocking);
    SetHandleInformation(reinterpret_cast<HANDLE>(handle), HANDLE_FLAG_INHERIT, 0);
    return handle;
}

void setNoDelay(SOCKET handle)
{
    const BOOL one = TRUE;
    ::setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
}

// select() on one socket: for writing (and failure) or for reading.
int selectOne(SOCKET handle, bool forWriting, int timeoutMs)
{
    fd_set wanted;
    fd_set failed;
    FD_ZERO(&wanted);
    FD_ZERO(&failed);
    FD_SET(handle, &wanted);
    FD_SET(handle, &failed);
    timeval limit {timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return ::select(0, forWriting ? nullptr : &wanted, forWriting ? &wanted : nullptr, &failed, &limit);
}

SOCKET connectOne(const addrinfo* info, std::int64_t deadline)
{
    const SOCKET handle = newSocket(info->ai_family, info->ai_socktype, info->ai_protocol);
    if (handle == INVALID_SOCKET) {
        return handle;
    }
    if (::connect(handle, info->ai_addr, static_cast<int>(info->ai_addrlen)) != 0) {
        if (WSAGetLastError() != WSAEWOULDBLOCK || selectOne(handle, true, clampedMs(deadline - nowMs())) <= 0) {
            ::closesocket(handle);
            return INVALID_SOCKET;
        }
        int error = 0;
        int size = sizeof error;
        if (::getsockopt(handle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0 || error != 0) {
            ::closesocket(handle);
            return INVALID_SOCKET;
        }
    }
    setNoDelay(handle);
    return handle;
}

}  // namespace

Socket connectWithTimeout(const std::string& host, int port, int timeoutMs)
{
    if (port <= 0 || port > 65535 || host.empty() || !winsockReady()) {
        return noSocket;
    }
    const std::int64_t deadline = nowMs() + timeoutMs;
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* list = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list) != 0) {
        return noSocket;
    }
    SOCKET handle = INVALID_SOCKET;
    for (const addrinfo* info = list; info != nullptr && handle == INVALID_SOCKET; info = info->ai_next) {
        handle = connectOne(info, deadline);
    }
    ::freeaddrinfo(list);
    return socketOf(handle);
}

std::size_t sendAll(Socket socket, const std::uint8_t* data, std::size_t length, int timeoutMs)
{
    const SOCKET handle = handleOf(socket);
    const std::int64_t deadline = nowMs() + (timeoutMs > 0 ? timeoutMs : 0);
    std::size_t sent = 0;
    while (sent < length) {
        const int chunk = static_cast<int>(std::min<std::size_t>(length - sent, INT_MAX));
        const int n = ::send(handle, reinterpret_cast<const char*>(data + sent), chunk, 0);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) {
            break;
        }
        const std::int64_t left = deadline - nowMs();
        if (left <= 0 || selectOne(handle, true, clampedMs(left)) < 0) {
            break;
        }
    }
    return sent;
}

Received receiveNow(Socket socket, std::uint8_t* buffer, std::size_t capacity)
{
    const int wanted = static_cast<int>(std::min<std::size_t>(capacity, INT_MAX));
    const int n = ::recv(handleOf(socket), reinterpret_cast<char*>(buffer), wanted, 0);
    if (n > 0) {
        return {static_cast<std::size_t>(n), false};
    }
    return {0, n == 0 || WSAGetLastError() != WSAEWOULDBLOCK};
}

bool waitReadable(Socket socket, int timeoutMs)
{
    return selectOne(handleOf(socket), false, timeoutMs) > 0;
}

void closeSocket(Socket socket)
{
    if (socket != noSocket) {
        ::closesocket(handleOf(socket));
    }
}

Socket listenOn(const std::string& ipv4Address, int port, std::string& error)
{
    if (!winsockReady()) {
        error = "cannot start Winsock";
        return noSocket;
    }
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    if (::inet_pton(AF_INET, ipv4Address.c_str(), &address.sin_addr) != 1) {
        error = "not an IPv4 address: " + ipv4Address;
        return noSocket;
    }
    const SOCKET handle = newSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (handle == INVALID_SOCKET) {
        error = "cannot listen: Winsock error " + std::to_string(WSAGetLastError());
        return noSocket;
    }
    // Windows lets SO_REUSEADDR take a port another program listens on;
    // exclusive use is what keeps two simulators apart.
    const BOOL one = TRUE;
    ::setsockopt(handle, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&one), sizeof one);
    if (::bind(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::listen(handle, 4) != 0) {
        error = "cannot listen: Winsock error " + std::to_string(WSAGetLastError());
        ::closesocket(handle);
        return noSocket;
    }
    return socketOf(handle);
}

Socket acceptNow(Socket listener)
{
    const SOCKET handle = ::accept(handleOf(listener), nullptr, nullptr);
    if (handle == INVALID_SOCKET) {
        return noSocket;
    }
    // An accepted socket takes over the listener's event selection: clear it
    // so the socket can be made non-blocking on its own terms.
    ::WSAEventSelect(handle, nullptr, 0);
    u_long nonBlocking = 1;
    ::ioctlsocket(handle, FIONBIO, &nonBlocking);
    SetHandleInformation(reinterpret_cast<HANDLE>(handle), HANDLE_FLAG_INHERIT, 0);
    setNoDelay(handle);
    return socketOf(handle);
}

int localPort(Socket socket)
{
    sockaddr_in address {};
    int size = sizeof address;
    if (::getsockname(handleOf(socket), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

Waker::Waker()
    : m_wakeSignal(reinterpret_cast<std::intptr_t>(CreateEventW(nullptr, FALSE, FALSE, nullptr)))
    , m_socketSignal(reinterpret_cast<std::intptr_t>(WSACreateEvent()))
{
    winsockReady();
}

Waker::~Waker()
{
    CloseHandle(reinterpret_cast<HANDLE>(m_wakeSignal));
    WSACloseEvent(reinterpret_cast<WSAEVENT>(m_socketSignal));
}

void Waker::wake()
{
    SetEvent(reinterpret_cast<HANDLE>(m_wakeSignal));
}

bool Waker::takeWake()
{
    return WaitForSingleObject(reinterpret_cast<HANDLE>(m_wakeSignal), 0) == WAIT_OBJECT_0;
}

Waker::Result Waker::wait(std::initializer_list<Socket> sockets, int timeoutMs)
{
    const auto socketSignal = reinterpret_cast<WSAEVENT>(m_socketSignal);
    WSAResetEvent(socketSignal);
    // Selecting again re-evaluates each socket: one that already holds data
    // or a waiting connection sets the event at once.
    for (const Socket socket : sockets) {
        if (socket != noSocket) {
            ::WSAEventSelect(handleOf(socket), socketSignal, FD_READ | FD_ACCEPT | FD_CLOSE);
        }
    }
    const HANDLE signals[2] = {reinterpret_cast<HANDLE>(m_wakeSignal), socketSignal};
    const DWORD result = WaitForMultipleObjects(2, signals, FALSE, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
    switch (result) {
    case WAIT_OBJECT_0: return Result::Woken;
    case WAIT_TIMEOUT: return Result::TimedOut;
    default: return Result::Ready;  // the sockets, or a failed wait the next read will meet
    }
}

}  // namespace tcp

#pragma once
// TCP as the network serial port and the simulator use it: non-blocking
// sockets with waits that have a deadline or a wake-up, one platform file per
// system (BSD sockets with poll and an eventfd on Linux, Winsock with event
// objects on Windows).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace tcp {

// A descriptor on Linux, a SOCKET on Windows.
using Socket = std::intptr_t;
inline constexpr Socket noSocket = -1;

// Milliseconds of a monotonic clock.
inline std::int64_t nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Connects to host:port within timeoutMs. Returns a non-blocking socket with
// TCP_NODELAY set that child processes do not inherit, or noSocket.
Socket connectWithTimeout(const std::string& host, int port, int timeoutMs);

// Sends as much of the bytes as the peer takes within timeoutMs; returns the
// count sent. Stops early when the connection fails.
std::size_t sendAll(Socket socket, const std::uint8_t* data, std::size_t length, int timeoutMs);

struct Received {
    std::size_t count = 0;  // bytes read; 0 when nothing waits
    bool closed = false;    // the peer closed or the connection failed
};
// Reads what has arrived, without waiting.
Received receiveNow(Socket socket, std::uint8_t* buffer, std::size_t capacity);

// Waits until the socket has something to read (or is closed), at most timeoutMs.
bool waitReadable(Socket socket, int timeoutMs);

void closeSocket(Socket socket);

// A non-blocking listening socket on an IPv4 address in dotted form (port 0
// picks a free one); noSocket with a message on failure.
Socket listenOn(const std::string& ipv4Address, int port, std::string& error);
// The next connection waiting on a listening socket (non-blocking, TCP_NODELAY),
// or noSocket when none waits.
Socket acceptNow(Socket listener);
// The port a socket is bound to; 0 when it cannot be read.
int localPort(Socket socket);

// Lets one thread wait on sockets until another thread wakes it.
class Waker {
public:
    enum class Result { Ready, Woken, TimedOut };

    Waker();
    ~Waker();
    Waker(const Waker&) = delete;
    Waker& operator=(const Waker&) = delete;

    // From any thread. A wake that comes before the wait still ends it.
    void wake();
    // Takes a wake that is pending, without waiting; false when there is none.
    bool takeWake();
    // Waits until a socket has something to read (data, a closed connection, a
    // connection to accept), wake() is called (the wake is taken) or timeoutMs
    // passes (-1: no limit). Sockets that are noSocket are left out.
    Result wait(std::initializer_list<Socket> sockets, int timeoutMs);

private:
    std::intptr_t m_wakeSignal;    // an eventfd; an event object on Windows
    std::intptr_t m_socketSignal;  // Windows: the event the sockets set; unused elsewhere
};

}  // namespace tcp

#pragma once
// Small blocking-with-deadline helpers over non-blocking TCP sockets.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tcp {

// Milliseconds of a monotonic clock.
std::int64_t nowMs();

// Connects to host:port within timeoutMs. Returns a non-blocking, close-on-exec
// socket with TCP_NODELAY set, or -1.
int connectWithTimeout(const std::string& host, int port, int timeoutMs);

// Sends as much of the bytes as the peer takes within timeoutMs; returns the
// count sent. Stops early when the connection fails.
std::size_t sendAll(int fd, const std::uint8_t* data, std::size_t length, int timeoutMs);

}  // namespace tcp

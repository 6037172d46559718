#pragma once
// Reads a SerialPort the way a consumer must: take until empty, then wait on
// data-ready with a short timeout (a set nobody waited for may be reset again).

#include <chrono>
#include <string>

#include "serial/SerialPort.h"

inline std::string takeBytes(SerialPort& port, std::size_t count,
                             std::chrono::milliseconds patience = std::chrono::seconds(5))
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    std::string got;
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::uint8_t byte = 0;
        if (port.takeByte(byte)) {
            got.push_back(static_cast<char>(byte));
        } else {
            port.dataReady().waitFor(std::chrono::milliseconds(20));
        }
    }
    return got;
}

// Waits until at least `count` bytes are queued.
inline bool waitForQueued(SerialPort& port, std::int32_t count,
                          std::chrono::milliseconds patience = std::chrono::seconds(5))
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (port.queuedCount() < count) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        port.dataReady().waitFor(std::chrono::milliseconds(20));
    }
    return true;
}

#pragma once
// Helpers for tests that run a device against a server on loopback: a thread
// that drives a server's step loop, and a receive thread that collects what
// a SerialDevice reads.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "serial/SerialDevice.h"

// Runs step(10) on another thread until destroyed.
template <typename Server>
class StepThread {
public:
    explicit StepThread(Server& server) : m_server(server), m_thread([this] { run(); }) {}
    ~StepThread()
    {
        m_stop = true;
        m_server.interrupt();
        m_thread.join();
    }

private:
    void run()
    {
        while (!m_stop) {
            m_server.step(10);
        }
    }
    Server& m_server;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// The receive side of a SerialDevice, like SerialPort's receive thread.
class Collector {
public:
    explicit Collector(SerialDevice& device) : m_device(device), m_thread([this] { run(); }) {}
    ~Collector()
    {
        m_stop = true;
        m_device.wake();
        m_thread.join();
    }

    // Waits up to timeoutMs until the collected bytes satisfy the predicate.
    bool waitFor(const std::function<bool(const std::string&)>& done, int timeoutMs = 5000)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return done(m_bytes); });
    }
    bool waitForText(const std::string& text, int timeoutMs = 5000)
    {
        return waitFor([&](const std::string& bytes) { return bytes.find(text) != std::string::npos; }, timeoutMs);
    }
    bool waitGone(int timeoutMs = 5000)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_gone; });
    }
    std::string bytes()
    {
        std::lock_guard lock(m_mutex);
        return m_bytes;
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_bytes.clear();
    }

private:
    void run()
    {
        while (!m_stop) {
            const DeviceWait result = m_device.waitForInput();
            if (result == DeviceWait::Gone) {
                std::lock_guard lock(m_mutex);
                m_gone = true;
                m_changed.notify_all();
                break;
            }
            std::uint8_t chunk[512];
            std::size_t n = 0;
            while ((n = m_device.readAvailable(chunk, sizeof chunk)) > 0) {
                std::lock_guard lock(m_mutex);
                m_bytes.append(reinterpret_cast<const char*>(chunk), n);
                m_changed.notify_all();
            }
        }
    }

    SerialDevice& m_device;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_bytes;
    bool m_gone = false;
    std::thread m_thread;
};

inline bool eventually(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

inline std::size_t writeText(SerialDevice& device, const std::string& text)
{
    return device.write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), 2000);
}

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
    explicit StepThread(Server& server) : server_(server), thread_([this] { run(); }) {}
    ~StepThread()
    {
        stop_ = true;
        server_.interrupt();
        thread_.join();
    }

private:
    void run()
    {
        while (!stop_) {
            server_.step(10);
        }
    }
    Server& server_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The receive side of a SerialDevice, like SerialPort's receive thread.
class Collector {
public:
    explicit Collector(SerialDevice& device) : device_(device), thread_([this] { run(); }) {}
    ~Collector()
    {
        stop_ = true;
        device_.wake();
        thread_.join();
    }

    // Waits up to timeoutMs until the collected bytes satisfy the predicate.
    bool waitFor(const std::function<bool(const std::string&)>& done, int timeoutMs = 5000)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return done(bytes_); });
    }
    bool waitForText(const std::string& text, int timeoutMs = 5000)
    {
        return waitFor([&](const std::string& bytes) { return bytes.find(text) != std::string::npos; }, timeoutMs);
    }
    bool waitGone(int timeoutMs = 5000)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return gone_; });
    }
    std::string bytes()
    {
        std::lock_guard lock(mutex_);
        return bytes_;
    }
    void clear()
    {
        std::lock_guard lock(mutex_);
        bytes_.clear();
    }

private:
    void run()
    {
        while (!stop_) {
            const DeviceWait result = device_.waitForInput();
            if (result == DeviceWait::Gone) {
                std::lock_guard lock(mutex_);
                gone_ = true;
                changed_.notify_all();
                break;
            }
            std::uint8_t chunk[512];
            std::size_t n = 0;
            while ((n = device_.readAvailable(chunk, sizeof chunk)) > 0) {
                std::lock_guard lock(mutex_);
                bytes_.append(reinterpret_cast<const char*>(chunk), n);
                changed_.notify_all();
            }
        }
    }

    SerialDevice& device_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string bytes_;
    bool gone_ = false;
    std::thread thread_;
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

#pragma once
// The timers and posted calls of one owner on an EventLoop. When the owner
// goes, every timer it started is cancelled and every call it posted that has
// not run yet is dropped, so nothing calls back into an object that is gone.
//
// Loop thread only, except post(), which any thread may call while the owner
// lives.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "base/EventLoop.h"

class LoopTimers {
public:
    explicit LoopTimers(EventLoop& loop);
    ~LoopTimers();
    LoopTimers(const LoopTimers&) = delete;
    LoopTimers& operator=(const LoopTimers&) = delete;

    EventLoop& loop() const { return m_loop; }
    EventLoop::Clock::time_point now() const { return m_loop.now(); }

    EventLoop::TimerId start(std::chrono::milliseconds delay, std::function<void()> callback);
    void cancel(EventLoop::TimerId id);
    // Cancels every timer started here and drops what was posted and has not run.
    void cancelAll();
    void post(std::function<void()> callback);

private:
    // Shared with posted calls: a call runs only while the owner lives and
    // no cancelAll() came after it was posted.
    struct Token {
        std::atomic<bool> alive{true};
        std::atomic<std::uint64_t> generation{0};
    };

    EventLoop& m_loop;
    const std::shared_ptr<Token> m_token;
    std::vector<EventLoop::TimerId> m_started;
};

#pragma once
// The loop a connection runs on: one thread that calls timers when they come
// due and calls what other threads post to it. The connection logic never
// waits in place; it starts a timer and returns, and the loop calls it back.
// The window program runs it on Qt's event loop, the command-line program on
// PlainEventLoop, tests on a manual clock.
//
// Callbacks run on the loop's thread only, one at a time, never from inside
// startTimer or post.

#include <chrono>
#include <cstdint>
#include <functional>

class EventLoop {
public:
    using Clock = std::chrono::steady_clock;
    using TimerId = std::uint64_t;  // 0 is never an id

    virtual ~EventLoop() = default;

    virtual Clock::time_point now() const = 0;
    // Calls `callback` once, on the loop's thread, once `delay` has passed.
    virtual TimerId startTimer(std::chrono::milliseconds delay, std::function<void()> callback) = 0;
    // A timer cancelled before it came due is never called; an unknown or
    // finished id is ignored.
    virtual void cancelTimer(TimerId id) = 0;
    // From any thread: calls `callback` on the loop's thread soon, in the
    // order posted.
    virtual void post(std::function<void()> callback) = 0;
};

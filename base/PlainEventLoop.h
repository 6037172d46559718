#pragma once
// An EventLoop without a window system, for programs that run unattended: the
// thread that calls run() sleeps until a timer comes due or a call is posted.

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "base/EventLoop.h"

class PlainEventLoop final : public EventLoop {
public:
    Clock::time_point now() const override { return Clock::now(); }
    TimerId startTimer(std::chrono::milliseconds delay, std::function<void()> callback) override;
    void cancelTimer(TimerId id) override;
    void post(std::function<void()> callback) override;

    // Runs timers and posted calls until quit(); returns at once when quit()
    // came before.
    void run();
    // From any thread: run() returns once the call in progress has finished.
    void quit();

private:
    struct Timer {
        TimerId id;
        std::function<void()> callback;
    };

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::multimap<Clock::time_point, Timer> m_timers;
    std::deque<std::function<void()>> m_posted;
    TimerId m_lastId = 0;
    bool m_quit = false;
};

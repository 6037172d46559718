#pragma once
// An EventLoop on a clock the test moves: timers come due only in advance(),
// posted calls run in runPosted() (and in advance()). post() is safe from any
// thread; everything else belongs to the test's thread.

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "base/EventLoop.h"

class ManualLoop final : public EventLoop {
public:
    Clock::time_point now() const override { return m_now; }
    TimerId startTimer(std::chrono::milliseconds delay, std::function<void()> callback) override
    {
        const TimerId id = ++m_lastId;
        m_timers.emplace(m_now + std::max(delay, std::chrono::milliseconds(0)), Timer{id, std::move(callback)});
        return id;
    }
    void cancelTimer(TimerId id) override
    {
        std::erase_if(m_timers, [id](const auto& entry) { return entry.second.id == id; });
    }
    void post(std::function<void()> callback) override
    {
        std::lock_guard<std::mutex> lock(m_postedMutex);
        m_posted.push_back(std::move(callback));
    }

    // Runs every posted call, those posted meanwhile included.
    void runPosted()
    {
        for (;;) {
            std::function<void()> next;
            {
                std::lock_guard<std::mutex> lock(m_postedMutex);
                if (m_posted.empty())
                    return;
                next = std::move(m_posted.front());
                m_posted.pop_front();
            }
            next();
        }
    }
    // Moves the clock on by `step`, calling each timer at its due time, in
    // order, with posted calls run in between.
    void advance(std::chrono::milliseconds step)
    {
        const Clock::time_point end = m_now + step;
        runPosted();
        while (!m_timers.empty() && m_timers.begin()->first <= end) {
            m_now = std::max(m_now, m_timers.begin()->first);
            std::function<void()> due = std::move(m_timers.begin()->second.callback);
            m_timers.erase(m_timers.begin());
            due();
            runPosted();
        }
        m_now = end;
    }
    std::size_t pendingTimers() const { return m_timers.size(); }

private:
    struct Timer {
        TimerId id;
        std::function<void()> callback;
    };
    Clock::time_point m_now{};
    std::multimap<Clock::time_point, Timer> m_timers;
    TimerId m_lastId = 0;
    std::mutex m_postedMutex;
    std::deque<std::function<void()>> m_posted;
};

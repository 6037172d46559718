#include "base/PlainEventLoop.h"

#include <algorithm>

EventLoop::TimerId PlainEventLoop::startTimer(std::chrono::milliseconds delay, std::function<void()> callback)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const TimerId id = ++m_lastId;
    m_timers.emplace(Clock::now() + std::max(delay, std::chrono::milliseconds(0)), Timer{id, std::move(callback)});
    m_changed.notify_all();
    return id;
}

void PlainEventLoop::cancelTimer(TimerId id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = std::find_if(m_timers.begin(), m_timers.end(),
                                    [id](const auto& entry) { return entry.second.id == id; });
    if (found != m_timers.end())
        m_timers.erase(found);
}

void PlainEventLoop::post(std::function<void()> callback)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_posted.push_back(std::move(callback));
    m_changed.notify_all();
}

void PlainEventLoop::quit()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_quit = true;
    m_changed.notify_all();
}

void PlainEventLoop::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_quit) {
        std::function<void()> next;
        if (!m_posted.empty()) {
            next = std::move(m_posted.front());
            m_posted.pop_front();
        } else if (!m_timers.empty() && m_timers.begin()->first <= Clock::now()) {
            next = std::move(m_timers.begin()->second.callback);
            m_timers.erase(m_timers.begin());
        } else if (m_timers.empty()) {
            m_changed.wait(lock);
            continue;
        } else {
            m_changed.wait_until(lock, m_timers.begin()->first);
            continue;
        }
        // Callbacks start timers and post: never under the lock.
        lock.unlock();
        next();
        lock.lock();
    }
}

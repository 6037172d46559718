#pragma once
// An auto-reset event with the semantics of the platform's auto-reset event:
// set() releases one thread that is already waiting (a later reset() does not
// take that release back), or, with nobody waiting, leaves the event set for
// the next wait. Every release resets the event.

#include <chrono>
#include <condition_variable>
#include <mutex>

class AutoResetEvent {
public:
    void set()
    {
        {
            std::lock_guard<std::mutex> guard(m_mutex);
            if (m_waiters > m_releases) {
                ++m_releases;
            } else {
                m_signalled = true;
            }
        }
        m_changed.notify_one();
    }

    // Clears a set event that nobody has waited for yet.
    void reset()
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_signalled = false;
    }

    // True when the event was set within the timeout.
    bool waitFor(std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_signalled) {
            m_signalled = false;
            return true;
        }
        ++m_waiters;
        m_changed.wait_for(lock, timeout, [this] { return m_releases > 0; });
        --m_waiters;
        if (m_releases > 0) {
            --m_releases;
            return true;
        }
        return false;
    }

    // Waits without a time limit.
    void wait()
    {
        while (!waitFor(std::chrono::hours(24))) {
        }
    }

    // Threads blocked in a wait right now; lets tests line up a race.
    int waitingCount() const
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_waiters - m_releases;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_waiters = 0;
    int m_releases = 0;  // releases handed to waiters and not yet taken
    bool m_signalled = false;
};

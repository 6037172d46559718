#pragma once
// The EventLoop of the window thread: timers are QTimers; posted calls wait
// in a queue of our own, and one event on Qt's loop wakes the window thread
// to run them. One per program (shared()).
//
// The queue is ours, under a std::mutex, so that a call's captures written by
// another thread are seen whole by the window thread through a lock every
// checker sees, not only through Qt's own locking.

#include <QObject>

#include <deque>
#include <mutex>
#include <unordered_map>

#include "base/EventLoop.h"

class QTimer;

class QtEventLoop final : public QObject, public EventLoop {
public:
    // The loop of the thread that made the QApplication, made at the first call.
    static QtEventLoop& shared();

    Clock::time_point now() const override { return Clock::now(); }
    TimerId startTimer(std::chrono::milliseconds delay, std::function<void()> callback) override;
    void cancelTimer(TimerId id) override;
    void post(std::function<void()> callback) override;

protected:
    void customEvent(QEvent* event) override;

private:
    QtEventLoop() = default;
    void runPosted();

    std::mutex m_postedLock;
    std::deque<std::function<void()>> m_posted;  // guarded by m_postedLock
    bool m_wakePending = false;                  // guarded by m_postedLock

    std::unordered_map<TimerId, QTimer*> m_timers;
    TimerId m_lastId = 0;
};

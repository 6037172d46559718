#pragma once
// The EventLoop of the window thread: timers are QTimers and posted calls
// queued calls on Qt's event loop. One per program (shared()).

#include <QObject>

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

private:
    QtEventLoop() = default;

    std::unordered_map<TimerId, QTimer*> m_timers;
    TimerId m_lastId = 0;
};

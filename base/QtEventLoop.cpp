#include "base/QtEventLoop.h"

#include <QTimer>

QtEventLoop& QtEventLoop::shared()
{
    static QtEventLoop* loop = new QtEventLoop;  // lives as long as the program
    return *loop;
}

EventLoop::TimerId QtEventLoop::startTimer(std::chrono::milliseconds delay, std::function<void()> callback)
{
    const TimerId id = ++m_lastId;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    // The design's pauses are lower bounds: a coarse timer may fire early.
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id, timer, callback = std::move(callback)] {
        m_timers.erase(id);
        timer->deleteLater();
        callback();
    });
    m_timers.emplace(id, timer);
    timer->start(std::max<std::chrono::milliseconds::rep>(delay.count(), 0));
    return id;
}

void QtEventLoop::cancelTimer(TimerId id)
{
    const auto found = m_timers.find(id);
    if (found == m_timers.end())
        return;
    found->second->stop();
    found->second->deleteLater();
    m_timers.erase(found);
}

void QtEventLoop::post(std::function<void()> callback)
{
    QMetaObject::invokeMethod(this, std::move(callback), Qt::QueuedConnection);
}

#include "base/QtEventLoop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

namespace {

const QEvent::Type wakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

}  // namespace

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
    std::lock_guard lock(m_postedLock);
    m_posted.push_back(std::move(callback));
    if (m_wakePending)
        return;
    m_wakePending = true;
    QCoreApplication::postEvent(this, new QEvent(wakeEvent));
}

void QtEventLoop::customEvent(QEvent* event)
{
    if (event->type() == wakeEvent)
        runPosted();
}

// Runs what was posted before the wake-up, in order; what those calls post
// waits for the next wake-up, so other events are not held off meanwhile.
void QtEventLoop::runPosted()
{
    std::deque<std::function<void()>> due;
    {
        std::lock_guard lock(m_postedLock);
        due.swap(m_posted);
        m_wakePending = false;
    }
    for (auto& callback : due)
        callback();
}

#include "session/LineOutput.h"

#include "serial/SerialPort.h"
#include "session/ConnectionMessages.h"

namespace {

// How often queued output is moved on: often while it flows, seldom once the
// line holds it.
constexpr std::chrono::milliseconds flowingTick{10};
constexpr std::chrono::milliseconds heldTick{50};

}  // namespace

LineOutput::LineOutput(SerialPort& port, EventLoop& loop, Listener& listener)
    : m_port(port)
    , m_timers(loop)
    , m_listener(listener)
{
}

void LineOutput::write(const std::string& bytes)
{
    if (m_cancelled)
        return;
    // Not open or lost: nothing is written, as ever; a full queue is told.
    if (m_port.write(bytes) == 0 && !bytes.empty() && m_port.isOpen() && !m_port.lineLost())
        m_listener.outputTrouble(connectionMessages::outputRefused());
    pump();
}

void LineOutput::whenSent(std::function<void()> then)
{
    if (m_cancelled)
        return;
    m_waiters.emplace_back(m_port.outputMark(), std::move(then));
    pump();
}

void LineOutput::drop()
{
    m_port.dropOutput();
    pump();
}

void LineOutput::cancel()
{
    m_cancelled = true;
    m_waiters.clear();
    m_port.dropOutput();
    m_timers.cancelAll();
    m_tick = 0;
    showHeld(false);
}

void LineOutput::pump()
{
    m_port.pumpOutput();
    if (m_port.takeOutputDropNotice())
        m_listener.outputTrouble(connectionMessages::outputDropped());
    const bool pending = m_port.outputPending();
    showHeld(pending && m_port.outputHeldMs() >= heldAfter.count());
    // Waiters whose bytes have gone, oldest first; one may write or wait again.
    while (!m_waiters.empty() && m_port.outputSent(m_waiters.front().first) && !m_cancelled) {
        std::function<void()> then = std::move(m_waiters.front().second);
        m_waiters.erase(m_waiters.begin());
        then();
    }
    schedule();
}

void LineOutput::schedule()
{
    if (m_cancelled)
        return;
    if (!m_port.outputPending()) {
        if (m_tick != 0)
            m_timers.cancel(m_tick);
        m_tick = 0;
        return;
    }
    const std::chrono::milliseconds interval = m_held ? heldTick : flowingTick;
    if (m_tick != 0 && interval == m_tickInterval)
        return;
    if (m_tick != 0)
        m_timers.cancel(m_tick);
    m_tickInterval = interval;
    m_tick = m_timers.start(interval, [this] {
        m_tick = 0;
        pump();
    });
}

void LineOutput::showHeld(bool held)
{
    if (held == m_held)
        return;
    m_held = held;
    m_listener.outputHeldChanged(held);
}

#include "session/LineOutput.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>

#include "serial/SerialPort.h"
#include "session/ConnectionMessages.h"

namespace {

// How often queued output is moved on: often while it flows, seldom once the
// line holds it.
constexpr int flowingTickMs = 10;
constexpr int heldTickMs = 50;

}  // namespace

LineOutput::LineOutput(SerialPort& port, QObject* parent)
    : QObject(parent)
    , m_port(port)
{
    connect(&m_timer, &QTimer::timeout, this, &LineOutput::pump);
}

void LineOutput::write(const std::string& bytes)
{
    // Not open or lost: nothing is written, as ever; a full queue is told.
    if (m_port.write(bytes) == 0 && !bytes.empty() && m_port.isOpen() && !m_port.lineLost())
        emit tell(connectionMessages::outputRefused());
    pump();
}

void LineOutput::pump()
{
    m_port.pumpOutput();
    if (m_port.takeOutputDropNotice())
        emit tell(connectionMessages::outputDropped());
    const bool pending = m_port.outputPending();
    showHeld(pending && m_port.outputHeldMs() >= heldAfterMs);
    if (!pending) {
        m_timer.stop();
        return;
    }
    const int tick = m_held ? heldTickMs : flowingTickMs;
    if (!m_timer.isActive() || m_timer.interval() != tick)
        m_timer.start(tick);
}

void LineOutput::showHeld(bool held)
{
    if (held == m_held)
        return;
    m_held = held;
    emit heldChanged(held);
}

void LineOutput::drop()
{
    m_port.dropOutput();
    pump();
}

void LineOutput::cancel()
{
    m_cancelled = true;
    emit cancelRequested();
}

bool LineOutput::waitAfterSent(int ms)
{
    if (m_cancelled)
        return false;
    const std::uint64_t mark = m_port.outputMark();
    const QPointer<LineOutput> self(this);
    QEventLoop loop;
    bool done = false;
    QElapsedTimer paused;
    QTimer sentCheck;
    QTimer pauseEnd;
    sentCheck.setInterval(flowingTickMs);
    pauseEnd.setSingleShot(true);
    pauseEnd.setTimerType(Qt::PreciseTimer);
    const auto startPause = [&] {
        sentCheck.stop();
        paused.start();
        pauseEnd.start(ms);
    };
    connect(&sentCheck, &QTimer::timeout, this, [&] {
        pump();
        if (m_port.outputSent(mark))
            startPause();
    });
    connect(&pauseEnd, &QTimer::timeout, this, [&] {
        // A timer may fire a little early: the full time is waited.
        const qint64 left = ms - paused.elapsed();
        if (left > 0) {
            pauseEnd.start(static_cast<int>(left));
            return;
        }
        done = true;
        loop.quit();
    });
    connect(this, &LineOutput::cancelRequested, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (m_port.outputSent(mark))
        startPause();
    else
        sentCheck.start();
    loop.exec();
    if (!self)
        return false;
    // A loop that ended without its end was cancelled, or the application is
    // quitting (which ends every loop at once): nothing more is waited for.
    if (!done)
        m_cancelled = true;
    return done;
}

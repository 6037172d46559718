#include "serial/WriteQueue.h"

bool WriteQueue::push(std::string_view bytes, int timeLimitMs)
{
    if (bytes.empty() || bytes.size() > capacity - m_queuedBytes)
        return false;
    m_writes.push_back({std::string(bytes), 0, timeLimitMs, -1});
    m_queuedBytes += bytes.size();
    ++m_lastQueued;
    return true;
}

void WriteQueue::pump(Line& line, std::int64_t nowMs)
{
    while (!m_writes.empty()) {
        Write& front = m_writes.front();
        if (front.startMs < 0)
            front.startMs = nowMs;
        if (front.taken < front.bytes.size()) {
            const std::size_t rest = front.bytes.size() - front.taken;
            const std::size_t took =
                line.writeSome(reinterpret_cast<const std::uint8_t*>(front.bytes.data()) + front.taken, rest);
            const std::size_t counted = took < rest ? took : rest;
            front.taken += counted;
            m_queuedBytes -= counted;
        }
        const bool allTaken = front.taken == front.bytes.size();
        if (allTaken && line.outputLeft()) {
            finishFront(true);
        } else if (nowMs - front.startMs > front.limitMs) {
            // Past the limit (strictly: the clock counts whole milliseconds).
            // Bytes already in the driver stay there; the rest are dropped.
            finishFront(allTaken);
        } else {
            return;
        }
    }
}

void WriteQueue::finishFront(bool whole)
{
    const Write& front = m_writes.front();
    m_queuedBytes -= front.bytes.size() - front.taken;
    m_writes.pop_front();
    ++m_lastFinished;
    if (whole) {
        m_dropTold = false;
    } else if (!m_dropTold) {
        m_dropTold = true;
        m_dropNotice = true;
    }
}

void WriteQueue::clear()
{
    m_writes.clear();
    m_queuedBytes = 0;
    m_lastFinished = m_lastQueued;
}

std::int64_t WriteQueue::heldMs(std::int64_t nowMs) const
{
    if (m_writes.empty() || m_writes.front().startMs < 0)
        return 0;
    return nowMs - m_writes.front().startMs;
}

bool WriteQueue::takeDropNotice()
{
    const bool notice = m_dropNotice;
    m_dropNotice = false;
    return notice;
}

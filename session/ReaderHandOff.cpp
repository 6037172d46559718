#include "session/ReaderHandOff.h"

bool ReaderHandOff::put(std::vector<Item>& items, Clock::time_point now)
{
    if (items.empty())
        return false;
    bool linesOnly = true;
    std::lock_guard<std::mutex> guard(m_mutex);
    for (Item& item : items) {
        m_bytes += item.bytes.size();
        if (item.kind != Kind::Line) {
            ++m_unhandledOutput;
            linesOnly = false;
        }
        m_items.push_back(std::move(item));
    }
    items.clear();
    const bool paced = linesOnly && m_items.size() <= pacedLinesMax && now < m_lastRequest + linePace;
    if (m_requested || paced)
        return false;
    m_requested = true;
    m_lastRequest = now;
    return true;
}

std::optional<ReaderHandOff::Clock::time_point> ReaderHandOff::dueAt() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_requested || m_items.empty())
        return std::nullopt;
    return m_lastRequest + linePace;
}

bool ReaderHandOff::askIfDue(Clock::time_point now)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_requested || m_items.empty() || now < m_lastRequest + linePace)
        return false;
    m_requested = true;
    m_lastRequest = now;
    return true;
}

bool ReaderHandOff::waitForRoom(std::chrono::milliseconds slice)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    // Once full, the reader stays held until half is taken, not just one
    // item, so it does not stop and start again for every item.
    if (!m_holding && !fullLocked())
        return true;
    m_holding = true;
    m_readerWaiting = true;
    m_taken.wait_for(lock, slice, [this] { return halfEmptyLocked(); });
    m_readerWaiting = false;
    if (halfEmptyLocked())
        m_holding = false;
    return !m_holding;
}

bool ReaderHandOff::claimWaiting(Clock::time_point now)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_items.empty())
        return false;
    m_requested = true;
    m_lastRequest = now;
    return true;
}

void ReaderHandOff::beginTaking()
{
    std::lock_guard<std::mutex> guard(m_mutex);
    m_requested = false;
}

bool ReaderHandOff::take(Item& item)
{
    bool wake = false;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_items.empty())
            return false;
        item = std::move(m_items.front());
        m_items.pop_front();
        m_bytes -= item.bytes.size();
        wake = m_readerWaiting && halfEmptyLocked();
    }
    if (wake)
        m_taken.notify_one();
    return true;
}

void ReaderHandOff::handled(Kind kind)
{
    if (kind == Kind::Line)
        return;
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_unhandledOutput > 0)
        --m_unhandledOutput;
}

bool ReaderHandOff::echoMustFollow() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_unhandledOutput > 0;
}

bool ReaderHandOff::askAgain()
{
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_requested || m_items.empty())
        return false;
    m_requested = true;
    return true;
}

std::size_t ReaderHandOff::itemCount() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_items.size();
}

std::size_t ReaderHandOff::byteCount() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_bytes;
}

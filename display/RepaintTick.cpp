#include "display/RepaintTick.h"

#include <QCoreApplication>

#include <algorithm>

RepaintTick& RepaintTick::shared()
{
    static RepaintTick* tick = new RepaintTick(QCoreApplication::instance());
    return *tick;
}

RepaintTick::RepaintTick(QObject* parent)
    : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, [this] { run(); });
}

void RepaintTick::setInterval(int milliseconds)
{
    if (m_timer.interval() != milliseconds)
        m_timer.setInterval(milliseconds);
}

void RepaintTick::join(const QObject* pane, std::function<bool()> tick)
{
    const auto found = std::find_if(m_members.begin(), m_members.end(), [pane](const Member& m) { return m.pane == pane; });
    if (found == m_members.end())
        m_members.push_back({pane, std::move(tick)});
    if (!m_timer.isActive())
        m_timer.start();
}

void RepaintTick::leave(const QObject* pane)
{
    for (Member& member : m_members) {
        if (member.pane == pane)
            member.pane = nullptr;  // removed after the tick that may be running
    }
}

void RepaintTick::run()
{
    // A call may run the event loop or make a pane go away; members joining
    // meanwhile are appended and wait for the next tick.
    const std::size_t count = m_members.size();
    for (std::size_t i = 0; i < count && i < m_members.size(); ++i) {
        if (m_members[i].pane == nullptr)
            continue;
        const std::function<bool()> tick = m_members[i].tick;
        if (!tick())
            leave(m_members[i].pane);
    }
    std::erase_if(m_members, [](const Member& member) { return member.pane == nullptr; });
    if (m_members.empty())
        m_timer.stop();
}

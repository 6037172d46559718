#include "display/PaneContent.h"

#include <algorithm>

namespace {

// Texts end at their first zero byte. Local traffic often comes a byte or two
// a call: short texts are looked at in place rather than through a library call.
std::string_view upToZero(std::string_view text)
{
    if (text.size() > 16)
        return text.substr(0, std::min(text.find('\0'), text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0')
            return text.substr(0, i);
    }
    return text;
}

}  // namespace

PaneContent::PaneContent(std::recursive_mutex* lock)
    : m_lock(lock != nullptr ? lock : &m_ownLock)
{
}

PaneContent::~PaneContent()
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    m_listener = nullptr;
    m_log.close();
}

void PaneContent::setListener(Listener* listener)
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    m_listener = listener;
    m_told = false;
    if (m_listener && (m_screen.pendingScrolledRows() > 0 || m_cursorShown))
        tellChangedLocked();
}

void PaneContent::putText(std::string_view text)
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    writeLocked(text);
}

void PaneContent::putLine(std::string_view text)
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    writeLocked(text);
    writeLocked("\r\n");
}

void PaneContent::writeLocked(std::string_view text)
{
    text = upToZero(text);
    if (text.empty())
        return;
    if (m_log.isOpen() && !m_log.write(text))
        tellLogFailureLocked();
    m_screen.putText(text);
    m_cursorShown = true;
    tellChangedLocked();
}

void PaneContent::tellChangedLocked()
{
    if (m_told || !m_listener)
        return;
    m_told = true;
    m_listener->contentChanged();
}

void PaneContent::tellLogFailureLocked()
{
    if (m_log.takeFailure() && m_listener)
        m_listener->logFailed(m_log.path());
}

void PaneContent::clearScreen(bool repaint)
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    m_screen.clearScreen();
    if (repaint)
        tellChangedLocked();
}

bool PaneContent::openLog(const std::string& path)
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    return m_log.open(path);
}

void PaneContent::closeLog()
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    m_log.close();
    tellLogFailureLocked();
}

bool PaneContent::isLogOpen() const
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    return m_log.isOpen();
}

void PaneContent::setLogTimestamps(bool on)
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    m_log.setTimestamps(on);
}

std::unique_lock<std::recursive_mutex> PaneContent::lockForView() const
{
    std::unique_lock<std::recursive_mutex> lock(*m_lock, std::try_to_lock);
    if (!lock.owns_lock()) {
        m_viewWaiting.store(true, std::memory_order_release);
        lock.lock();
        m_viewWaiting.store(false, std::memory_order_release);
    }
    return lock;
}

ScreenDamage PaneContent::takeChanges()
{
    std::lock_guard<std::recursive_mutex> guard(*m_lock);
    const ScreenDamage damage = m_screen.takeDamage();
    if (m_log.isOpen() && !m_log.flush())
        tellLogFailureLocked();
    if (!damage.any())
        m_told = false;
    return damage;
}

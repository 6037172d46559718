#include "display/PaneLog.h"

#include <cstdio>
#include <ctime>

#include "base/LocalTime.h"

namespace {

// "[YYYY-MM-DD HH:MM:SS.mmm] " in local time.
std::string timeStamp(PaneLog::Clock::time_point time)
{
    const auto sinceEpoch = time.time_since_epoch();
    const std::time_t seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count();
    auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
    if (millis < 0)
        millis += 1000;
    const std::tm local = localCalendarTime(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "[%04d-%02d-%02d %02d:%02d:%02d.%03d] ", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis));
    return text;
}

}  // namespace

PaneLog::~PaneLog()
{
    close();
}

bool PaneLog::open(const std::string& path)
{
    close();
    m_failurePending = false;
    m_file = std::fopen(path.c_str(), "w+b");
    if (m_file == nullptr)
        return false;
    // The log collects bytes itself; the file passes each batch straight to
    // the system so a failure shows at the call that caused it.
    std::setvbuf(m_file, nullptr, _IONBF, 0);
    m_path = path;
    m_atLineStart = true;
    m_pending.clear();
    m_pending.reserve(bufferLimit);
    return true;
}

void PaneLog::close()
{
    if (m_file == nullptr)
        return;
    if (!writeOut())
        return;  // already closed and reported
    const bool ok = std::fclose(m_file) == 0;
    m_file = nullptr;
    m_pending.clear();
    if (!ok)
        m_failurePending = true;
}

bool PaneLog::write(std::string_view bytes)
{
    if (m_file == nullptr)
        return false;
    if (m_timestamps)
        appendStamped(bytes);
    else
        m_pending.append(bytes);
    return m_pending.size() < bufferLimit || writeOut();
}

void PaneLog::appendStamped(std::string_view bytes)
{
    while (!bytes.empty()) {
        if (m_atLineStart) {
            m_pending += timeStamp(m_clock());
            m_atLineStart = false;
        }
        const std::size_t end = bytes.find('\n');
        const std::size_t take = end == std::string_view::npos ? bytes.size() : end + 1;
        m_pending.append(bytes.substr(0, take));
        m_atLineStart = end != std::string_view::npos;
        bytes.remove_prefix(take);
    }
}

bool PaneLog::flush()
{
    return m_file != nullptr && writeOut();
}

bool PaneLog::writeOut()
{
    if (m_pending.empty())
        return true;
    const bool ok = std::fwrite(m_pending.data(), 1, m_pending.size(), m_file) == m_pending.size()
        && std::fflush(m_file) == 0;
    m_pending.clear();
    if (!ok)
        fail();
    return ok;
}

void PaneLog::fail()
{
    std::fclose(m_file);
    m_file = nullptr;
    m_pending.clear();
    m_failurePending = true;
}

bool PaneLog::takeFailure()
{
    const bool failed = m_failurePending;
    m_failurePending = false;
    return failed;
}

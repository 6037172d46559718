#include "display/PaneLog.h"

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
    m_pending.append(bytes);
    return m_pending.size() < bufferLimit || writeOut();
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

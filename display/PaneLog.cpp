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
    m_path = path;
    return true;
}

void PaneLog::close()
{
    if (m_file == nullptr)
        return;
    std::fclose(m_file);
    m_file = nullptr;
}

bool PaneLog::write(std::string_view bytes)
{
    if (m_file == nullptr)
        return false;
    if (bytes.empty())
        return true;
    // Flushing each write keeps the file current; errors such as a full disk
    // show up here rather than at some later close.
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), m_file) == bytes.size()
        && std::fflush(m_file) == 0;
    if (!ok) {
        std::fclose(m_file);
        m_file = nullptr;
        m_failurePending = true;
    }
    return ok;
}

bool PaneLog::takeFailure()
{
    const bool failed = m_failurePending;
    m_failurePending = false;
    return failed;
}

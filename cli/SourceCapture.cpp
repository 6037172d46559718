#include "cli/SourceCapture.h"

#include <algorithm>

SourceCapture::SourceCapture(std::string secret)
    : m_mask(std::move(secret))
{
}

bool SourceCapture::open(const std::string& path, bool timestamps)
{
    m_log.setTimestamps(timestamps);
    return m_log.open(path);
}

void SourceCapture::flush()
{
    if (m_log.isOpen() && !m_log.flush())
        m_failed = true;
}

bool SourceCapture::close()
{
    if (m_log.isOpen()) {
        const std::string rest = m_mask.flush();
        if (!rest.empty() && !m_log.write(rest))
            m_failed = true;
        m_log.close();
        if (m_log.takeFailure())
            m_failed = true;
    }
    return !m_failed;
}

void SourceCapture::putText(std::string_view text)
{
    write(text.substr(0, std::min(text.find('\0'), text.size())));
}

void SourceCapture::putLine(std::string_view text)
{
    putText(text);
    write("\r\n");
}

void SourceCapture::write(std::string_view text)
{
    m_bytes += text.size();
    if (!m_log.isOpen() || text.empty())
        return;
    const std::string masked = m_mask.feed(text);
    if (!masked.empty() && !m_log.write(masked))
        m_failed = true;
}

#include "script/SourceText.h"

#include "script/Cp949Bytes.h"
#include "script/ScriptLimits.h"

void SourceText::append(std::string_view bytes)
{
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        // A lead byte followed by something that cannot be a trail (a damaged
        // character before CR LF) stands alone, so the line end stays a boundary.
        const bool startsCharacter = !(m_lastWasLead && isCp949Trail(byte));
        m_lastWasLead = startsCharacter && isCp949Lead(byte);
        m_bytes.push_back(c);
        m_startsCharacter.push_back(startsCharacter);
    }
}

void SourceText::keepWithinLimit()
{
    if (m_bytes.size() <= scriptLimits::maxUnmatchedBytes)
        return;
    std::size_t cut = m_bytes.size() - scriptLimits::maxUnmatchedBytes;
    while (cut < m_bytes.size() && !m_startsCharacter[cut])
        ++cut;
    // Ends already checked stay checked: no pattern is longer than what is kept.
    dropFront(cut);
}

void SourceText::beginSearch()
{
    m_checkedEnds = 0;
}

std::optional<std::size_t> SourceText::findMatch(const std::vector<std::string>& patterns)
{
    for (std::size_t end = m_checkedEnds + 1; end <= m_bytes.size(); ++end) {
        for (std::size_t i = 0; i < patterns.size(); ++i) {
            const std::string& pattern = patterns[i];
            if (pattern.empty() || pattern.size() > end)
                continue;
            const std::size_t start = end - pattern.size();
            if (m_startsCharacter[start] && m_bytes.compare(start, pattern.size(), pattern) == 0) {
                dropFront(end);
                m_checkedEnds = 0;
                return i;
            }
        }
    }
    m_checkedEnds = m_bytes.size();
    return std::nullopt;
}

void SourceText::dropFront(std::size_t count)
{
    m_bytes.erase(0, count);
    m_startsCharacter.erase(m_startsCharacter.begin(), m_startsCharacter.begin() + static_cast<std::ptrdiff_t>(count));
    m_checkedEnds = count < m_checkedEnds ? m_checkedEnds - count : 0;
}

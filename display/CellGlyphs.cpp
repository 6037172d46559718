#include "display/CellGlyphs.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <QtMath>

CellGlyphs::CellGlyphs(const QFont& font, int cellWidth)
    : m_rawFont(QRawFont::fromFont(font))
    , m_cellWidth(cellWidth)
{
}

std::optional<std::uint32_t> CellGlyphs::glyphFor(QChar ch, int cells)
{
    Entry& entry = cells == 1 && ch.unicode() < m_narrow.size()
        ? m_narrow[ch.unicode()]
        : m_other[static_cast<std::uint32_t>(ch.unicode()) | (static_cast<std::uint32_t>(cells) << 16)];
    if (!entry.known)
        entry = lookUp(ch, cells);
    return entry.usable ? std::optional<std::uint32_t>(entry.index) : std::nullopt;
}

CellGlyphs::Entry CellGlyphs::lookUp(QChar ch, int cells) const
{
    Entry entry;
    entry.known = true;
    if (!m_rawFont.isValid() || !m_rawFont.supportsCharacter(ch))
        return entry;
    const QList<quint32> indexes = m_rawFont.glyphIndexesForString(QString(ch));
    if (indexes.size() != 1 || indexes.front() == 0)
        return entry;
    const QList<QPointF> advances = m_rawFont.advancesForGlyphIndexes(indexes);
    if (advances.size() != 1 || qRound(advances.front().x()) != cells * m_cellWidth)
        return entry;
    entry.usable = true;
    entry.index = indexes.front();
    return entry;
}

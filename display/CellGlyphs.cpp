#include "display/CellGlyphs.h"

#include <QFontMetrics>
#include <QList>
#include <QPainter>
#include <QPointF>
#include <QString>
#include <QtMath>

#include <algorithm>

#include "display/CellCharacters.h"

namespace {

// Enough for every character a screen could show at once that the font cannot place.
constexpr qsizetype maxPictures = 1024;

QChar shownCharacter(QChar ch)
{
    return ch.unicode() < 0x80 ? QChar(singleByteCellCharacter(static_cast<unsigned char>(ch.unicode()))) : ch;
}

std::uint32_t keyOf(QChar ch, int cells)
{
    return static_cast<std::uint32_t>(ch.unicode()) | (static_cast<std::uint32_t>(cells) << 16);
}

}  // namespace

CellGlyphs::CellGlyphs(const QFont& font, int cellWidth)
    : m_font(font)
    , m_rawFont(QRawFont::fromFont(font))
    , m_cellWidth(cellWidth)
{
}

std::optional<std::uint32_t> CellGlyphs::glyphFor(QChar ch, int cells)
{
    ch = shownCharacter(ch);
    Entry& entry = cells == 1 && ch.unicode() < m_narrow.size() ? m_narrow[ch.unicode()] : m_other[keyOf(ch, cells)];
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

void CellGlyphs::drawFitted(QPainter& painter, int x, int top, int baseline, int cells, QChar ch)
{
    ch = shownCharacter(ch);
    const QRgb colour = painter.pen().color().rgba();
    auto picture = m_pictures.find(keyOf(ch, cells));
    if (picture == m_pictures.end() || picture->colour != colour) {
        if (m_pictures.size() >= maxPictures)
            m_pictures.clear();
        picture = m_pictures.insert(keyOf(ch, cells), Picture{renderFitted(ch, cells * m_cellWidth, baseline, colour), colour});
    }
    painter.drawImage(QPoint(x, top), picture->image);
}

QImage CellGlyphs::renderFitted(QChar ch, int width, int baseline, QRgb colour) const
{
    const QFontMetrics metrics(m_font);
    const int height = m_font.pixelSize() > 0 ? m_font.pixelSize() : metrics.height();
    const int natural = std::max(width, metrics.horizontalAdvance(ch));
    QImage drawn(natural, height, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    {
        QPainter painter(&drawn);
        painter.setFont(m_font);
        painter.setPen(QColor::fromRgba(colour));
        painter.drawText(QPoint(0, baseline), QString(ch));
    }
    if (natural == width)
        return drawn;
    // Squeezed: each column of the cells takes the strongest ink of the columns
    // it covers, so no thin stroke is dropped.
    QImage fitted(width, height, QImage::Format_ARGB32_Premultiplied);
    fitted.fill(Qt::transparent);
    for (int row = 0; row < height; ++row) {
        const auto* from = reinterpret_cast<const QRgb*>(drawn.constScanLine(row));
        auto* to = reinterpret_cast<QRgb*>(fitted.scanLine(row));
        for (int column = 0; column < natural; ++column) {
            QRgb& target = to[column * width / natural];
            if (qAlpha(from[column]) > qAlpha(target))
                target = from[column];
        }
    }
    return fitted;
}

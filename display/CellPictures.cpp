#include "display/CellPictures.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QList>
#include <QPainter>
#include <QPointF>

#include <algorithm>
#include <cstring>
#include <optional>

#include "display/Cp949Cells.h"

namespace {

// The batch drawing sheet: each character gets a square of its own, with room
// around its cells so that ink straying outside them is left out, as when a
// character is drawn clipped to its cells.
constexpr int slotSize = 32;
constexpr int slotMargin = 8;
constexpr int slotsPerLine = 32;
constexpr std::size_t batchLimit = 512;

}  // namespace

CellPictures::CellPictures(const QFont& font, QColor text, QColor background, int cellWidth, int cellHeight,
                           int scale)
    : m_font(font)
    , m_text(text.rgb())
    , m_background(background.rgb())
    , m_cellWidth(cellWidth)
    , m_cellHeight(cellHeight)
    , m_scale(std::max(scale, 1))
    , m_baseline(std::min(QFontMetrics(font).ascent(), cellHeight - 1))
    , m_glyphs(font, cellWidth)
{
    for (std::size_t byte = 0; byte < m_expand.size(); ++byte)
        for (std::size_t bit = 0; bit < 8; ++bit)
            m_expand[byte][bit] = (byte & (0x80u >> bit)) != 0 ? m_text : m_background;
}

CellPictures::Entry& CellPictures::entry(QChar ch, int cells)
{
    if (cells == 1 && ch.unicode() < m_narrow.size())
        return m_narrow[ch.unicode()];
    return m_other[static_cast<std::uint32_t>(ch.unicode()) | (static_cast<std::uint32_t>(cells) << 16)];
}

void CellPictures::prepare(std::string_view cells)
{
    for (std::size_t column = 0; column < cells.size();) {
        const CellCharacter cell = cellCharacter(cells, column);
        if (cell.ch != u' ') {
            Entry& known = entry(cell.ch, cell.width);
            if (!known.drawn && !known.wanted) {
                known.wanted = true;
                m_wanted.push_back({cell.ch, cell.width});
            }
        }
        column += static_cast<std::size_t>(cell.width);
    }
}

void CellPictures::draw()
{
    for (std::size_t first = 0; first < m_wanted.size(); first += batchLimit)
        drawBatch(m_wanted.data() + first, std::min(batchLimit, m_wanted.size() - first));
    m_wanted.clear();
}

void CellPictures::paint(QChar ch, int cells, QRgb* target, std::size_t stride)
{
    Entry* known = &entry(ch, cells);
    if (!known->drawn) {
        const Wanted one{ch, cells};
        drawBatch(&one, 1);
        known = &entry(ch, cells);
    }

    const auto width = static_cast<std::size_t>(cells * m_cellWidth * m_scale);
    const auto lines = static_cast<std::size_t>(m_cellHeight * m_scale);
    if (known->mask) {
        const std::uint8_t* bits = m_masks.data() + known->offset;
        const std::size_t bytesPerLine = width / 8;
        for (std::size_t y = 0; y < lines; ++y) {
            QRgb* line = target + y * stride;
            for (std::size_t i = 0; i < bytesPerLine; ++i)
                std::memcpy(line + 8 * i, m_expand[*bits++].data(), 8 * sizeof(QRgb));
        }
    } else {
        const QRgb* pixels = m_pixels.data() + known->offset;
        for (std::size_t y = 0; y < lines; ++y)
            std::memcpy(target + y * stride, pixels + y * width, width * sizeof(QRgb));
    }
}

// Draws the characters as the pane would draw them on the window: a glyph at
// the baseline when the face has it at the cells' width, all such glyphs in
// one run; any other character drawn to fit its cells.
void CellPictures::drawBatch(const Wanted* first, std::size_t count)
{
    const int lines = static_cast<int>((count + slotsPerLine - 1) / slotsPerLine);
    QImage sheet(slotsPerLine * slotSize * m_scale, lines * slotSize * m_scale, QImage::Format_RGB32);
    sheet.setDevicePixelRatio(m_scale);
    sheet.fill(m_background);
    auto cellsOf = [&](std::size_t i) {
        const int slot = static_cast<int>(i);
        return QRect((slot % slotsPerLine) * slotSize + slotMargin, (slot / slotsPerLine) * slotSize + slotMargin,
                     first[i].cells * m_cellWidth, m_cellHeight);
    };
    {
        QPainter painter(&sheet);
        painter.setFont(m_font);
        painter.setPen(QColor::fromRgb(m_text));
        QList<quint32> indexes;
        QList<QPointF> positions;
        for (std::size_t i = 0; i < count; ++i) {
            const QRect cells = cellsOf(i);
            if (const std::optional<std::uint32_t> glyph = m_glyphs.glyphFor(first[i].ch, first[i].cells)) {
                indexes.append(*glyph);
                positions.append(QPointF(cells.left(), cells.top() + m_baseline));
            } else {
                // Squeezed into its cells when wider (the control pictures are
                // two cells wide in the face), so no stroke is lost.
                m_glyphs.drawFitted(painter, cells.left(), cells.top(), m_baseline, first[i].cells, first[i].ch);
            }
        }
        if (!indexes.isEmpty()) {
            QGlyphRun run;
            run.setRawFont(m_glyphs.rawFont());
            run.setGlyphIndexes(indexes);
            run.setPositions(positions);
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        const QRect cells = cellsOf(i);
        Entry kept = keep(sheet, cells.left() * m_scale, cells.top() * m_scale, cells.width() * m_scale);
        entry(first[i].ch, first[i].cells) = kept;
    }
}

// Takes one character's cells out of the sheet, as a mask when they hold the
// two colours only.
CellPictures::Entry CellPictures::keep(const QImage& image, int left, int top, int width)
{
    const int lines = m_cellHeight * m_scale;
    const auto pixelsWide = static_cast<std::size_t>(width);
    auto scanLine = [&](int y) { return reinterpret_cast<const QRgb*>(image.constScanLine(top + y)) + left; };
    bool twoColours = true;
    for (int y = 0; y < lines && twoColours; ++y)
        twoColours = std::all_of(scanLine(y), scanLine(y) + pixelsWide,
                                 [this](QRgb pixel) { return pixel == m_text || pixel == m_background; });

    Entry kept;
    kept.drawn = true;
    if (twoColours) {
        kept.mask = true;
        kept.offset = m_masks.size();
        for (int y = 0; y < lines; ++y) {
            const QRgb* line = scanLine(y);
            for (std::size_t x = 0; x < pixelsWide; x += 8) {
                std::uint8_t bits = 0;
                for (std::size_t bit = 0; bit < 8; ++bit)
                    bits = static_cast<std::uint8_t>(bits << 1 | (line[x + bit] == m_text ? 1 : 0));
                m_masks.push_back(bits);
            }
        }
        return kept;
    }
    if (m_fullColourCount >= fullColourLimit) {
        // Rare: forget the other full-colour pictures before adding more.
        for (Entry& other : m_narrow)
            other.drawn = other.drawn && other.mask;
        for (Entry& other : m_other)
            other.drawn = other.drawn && other.mask;
        m_pixels.clear();
        m_fullColourCount = 0;
    }
    ++m_fullColourCount;
    kept.offset = m_pixels.size();
    for (int y = 0; y < lines; ++y)
        m_pixels.insert(m_pixels.end(), scanLine(y), scanLine(y) + pixelsWide);
    return kept;
}

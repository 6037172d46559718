#pragma once
// The screen font's glyph for each character, looked up once and kept, so
// painting places ready glyph indexes at their cells instead of shaping text
// on every paint. A control character is shown by its control picture. Window
// thread only.

#include <QChar>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QRawFont>

#include <array>
#include <cstdint>
#include <optional>

class QPainter;

class CellGlyphs {
public:
    // cellWidth: the width in pixels of one cell.
    CellGlyphs(const QFont& font, int cellWidth);

    // The glyph that draws ch across `cells` cells (1 or 2): present when the
    // font has the character and its advance is exactly the cells' width, so
    // it neither leaves a gap nor spills into the next cell. Otherwise the
    // caller draws the character with drawFitted.
    std::optional<std::uint32_t> glyphFor(QChar ch, int cells);

    // Draws ch in its cells, top-left corner at (x, top), in the painter's pen
    // colour: a character wider than the cells (a control picture is two
    // cells wide in the screen font) is squeezed into them, every stroke kept.
    void drawFitted(QPainter& painter, int x, int top, int baseline, int cells, QChar ch);

    const QRawFont& rawFont() const { return m_rawFont; }

private:
    struct Entry {
        bool known = false;      // looked up already
        bool usable = false;     // the font has it, at the right width
        std::uint32_t index = 0;
    };
    struct Picture {
        QImage image;
        QRgb colour = 0;
    };

    Entry lookUp(QChar ch, int cells) const;
    QImage renderFitted(QChar ch, int width, int baseline, QRgb colour) const;

    QFont m_font;
    QRawFont m_rawFont;
    int m_cellWidth;
    // One-cell characters up to U+00FF by their code; all others in the table,
    // keyed by code and cell count.
    std::array<Entry, 0x100> m_narrow{};
    QHash<std::uint32_t, Entry> m_other;
    // Drawn pictures of the characters the glyph run cannot place, by the same key.
    QHash<std::uint32_t, Picture> m_pictures;
};

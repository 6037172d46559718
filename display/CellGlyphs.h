#pragma once
// The screen font's glyph for each character, looked up once and kept, so
// painting places ready glyph indexes at their cells instead of shaping text
// on every paint. Window thread only.

#include <QChar>
#include <QFont>
#include <QHash>
#include <QRawFont>

#include <array>
#include <cstdint>
#include <optional>

class CellGlyphs {
public:
    // cellWidth: the width in pixels of one cell.
    CellGlyphs(const QFont& font, int cellWidth);

    // The glyph that draws ch across `cells` cells (1 or 2): present when the
    // font has the character and its advance is exactly the cells' width, so
    // it neither leaves a gap nor spills into the next cell. Otherwise the
    // caller draws the character by other means.
    std::optional<std::uint32_t> glyphFor(QChar ch, int cells);

    const QRawFont& rawFont() const { return m_rawFont; }

private:
    struct Entry {
        bool known = false;      // looked up already
        bool usable = false;     // the font has it, at the right width
        std::uint32_t index = 0;
    };

    Entry lookUp(QChar ch, int cells) const;

    QRawFont m_rawFont;
    int m_cellWidth;
    // One-cell characters up to U+00FF by their code; all others in the table,
    // keyed by code and cell count.
    std::array<Entry, 0x100> m_narrow{};
    QHash<std::uint32_t, Entry> m_other;
};

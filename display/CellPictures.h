#pragma once
// A pane's drawn characters: each character is drawn once, in the text colour
// on the background colour, into a picture exactly the size of its cells
// (8 x 16 pixels, 16 x 16 for a double-byte character) and kept, so rows are
// put together by copying pixels instead of drawing glyphs at every paint.
// A picture in the two colours only is kept as one bit a pixel (32 bytes for
// a Hangul syllable), so every character of code page 949 fits in about 1 MiB.
// Window thread only.

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QRgb>

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "display/CellGlyphs.h"

class CellPictures {
public:
    // scale: device pixels per pixel (2 on a display drawn at double size).
    CellPictures(const QFont& font, QColor text, QColor background, int cellWidth, int cellHeight, int scale);

    int scale() const { return m_scale; }
    int cellWidth() const { return m_cellWidth; }
    QRgb background() const { return m_background; }

    // Notes the characters of a row that have no picture yet; draw() then
    // draws them all with one painter, much faster than one at a time.
    void prepare(std::string_view cells);
    void draw();

    // Puts the picture of ch across `cells` cells (1 or 2) into the pixels
    // at `target`, whose lines lie `stride` pixels apart. A character not
    // prepared is drawn now.
    void paint(QChar ch, int cells, QRgb* target, std::size_t stride);

    // Pictures in more than the two colours kept at most; beyond it they are
    // dropped and drawn again (a few MiB at most).
    static constexpr std::size_t fullColourLimit = 1024;

private:
    struct Entry {
        bool drawn = false;
        bool wanted = false;      // waits in m_wanted
        bool mask = false;        // one bit a pixel, else full pixels
        std::size_t offset = 0;   // into m_masks or m_pixels
    };
    struct Wanted {
        QChar ch;
        int cells;
    };

    Entry& entry(QChar ch, int cells);
    void drawBatch(const Wanted* first, std::size_t count);
    Entry keep(const QImage& image, int left, int top, int width);

    QFont m_font;
    QRgb m_text;
    QRgb m_background;
    int m_cellWidth;
    int m_cellHeight;
    int m_scale;
    int m_baseline;
    CellGlyphs m_glyphs;
    std::vector<Wanted> m_wanted;
    // Eight pixels for every byte of a mask: bit 7 is the leftmost pixel.
    std::array<std::array<QRgb, 8>, 0x100> m_expand{};
    std::vector<std::uint8_t> m_masks;
    std::vector<QRgb> m_pixels;
    std::size_t m_fullColourCount = 0;
    std::array<Entry, 0x100> m_narrow{};
    QHash<std::uint32_t, Entry> m_other;
};

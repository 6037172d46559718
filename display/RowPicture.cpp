#include "display/RowPicture.h"

#include <algorithm>

#include "display/Cp949Cells.h"

namespace {

void fillCells(QRgb* target, std::size_t pixels, std::size_t stride, std::size_t lines, QRgb colour)
{
    for (std::size_t y = 0; y < lines; ++y)
        std::fill_n(target + y * stride, pixels, colour);
}

}  // namespace

RowPicture::RowPicture(int width, int height, int scale, QRgb background)
    : m_image(width * scale, height * scale, QImage::Format_RGB32)
{
    m_image.setDevicePixelRatio(scale);
    m_image.fill(background);
}

// Only as far as this row's characters or the previous row's reach: the rest
// of the picture is background already.
const QImage& RowPicture::compose(std::string_view cells, CellPictures& characters)
{
    auto* top = reinterpret_cast<QRgb*>(m_image.bits());
    const auto stride = static_cast<std::size_t>(m_image.bytesPerLine()) / sizeof(QRgb);
    const auto lines = static_cast<std::size_t>(m_image.height());
    const auto cellPixels = static_cast<std::size_t>(characters.cellWidth() * characters.scale());
    const std::size_t columns = std::min(cells.size(), static_cast<std::size_t>(m_image.width()) / cellPixels);
    const QRgb background = characters.background();

    // Trailing blank cells; a trail byte never reads as blank but a zero
    // one, and its lead byte then still reaches over it.
    std::size_t inked = columns;
    while (inked > 0 && cellCharacter(cells, inked - 1).ch == u' ')
        --inked;
    const std::size_t reach = std::max(inked, m_inked);

    std::size_t column = 0;
    while (column < reach) {
        QRgb* target = top + column * cellPixels;
        if (column >= inked) {
            fillCells(target, (reach - column) * cellPixels, stride, lines, background);
            column = reach;
            break;
        }
        const CellCharacter cell = cellCharacter(cells, column);
        const auto width = static_cast<std::size_t>(cell.width);
        if (cell.ch == u' ')
            fillCells(target, width * cellPixels, stride, lines, background);
        else
            characters.paint(cell.ch, cell.width, target, stride);
        column += width;
    }
    m_inked = std::max(column, inked);
    return m_image;
}

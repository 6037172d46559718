#pragma once
// The picture of one screen row, put together from the pane's drawn
// characters: each character's pixels are copied into its cells and blank
// cells are filled with the background. The pane draws every row it paints
// through this one picture, so it holds no picture of the whole pane.
// Window thread only.

#include <QImage>

#include <string_view>

#include "display/CellPictures.h"

class RowPicture {
public:
    // A row `width` pixels wide (right of the last column it is background)
    // and `height` pixels high.
    RowPicture(int width, int height, int scale, QRgb background);

    // The picture of the row whose cells are given; valid until the next call.
    const QImage& compose(std::string_view cells, CellPictures& characters);

private:
    QImage m_image;
    // The columns up to which the picture may differ from the background:
    // right of them it is background already.
    std::size_t m_inked = 0;
};

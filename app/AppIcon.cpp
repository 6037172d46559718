#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath tile;
    tile.addRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.18, s * 0.18);
    painter.fillPath(tile, QColor(0x1d, 0x4e, 0x89));
    painter.setPen(QPen(QColor(0x9b, 0xe5, 0x6b), s * 0.09, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF({QPointF(s * 0.24, s * 0.30), QPointF(s * 0.44, s * 0.48), QPointF(s * 0.24, s * 0.66)}));
    painter.drawLine(QPointF(s * 0.52, s * 0.68), QPointF(s * 0.76, s * 0.68));
    return pixmap;
}

}  // namespace

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(drawIcon(size));
    return icon;
}

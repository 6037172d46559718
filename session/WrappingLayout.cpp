#include "session/WrappingLayout.h"

#include <QWidget>

#include <algorithm>

WrappingLayout::WrappingLayout(QWidget* parent)
    : QLayout(parent)
{
}

WrappingLayout::~WrappingLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void WrappingLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
}

QLayoutItem* WrappingLayout::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

int WrappingLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize WrappingLayout::minimumSize() const
{
    QSize size;
    for (const QLayoutItem* item : m_items) {
        if (!item->isEmpty())
            size = size.expandedTo(item->sizeHint());
    }
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

QSize WrappingLayout::sizeHint() const
{
    int width = 0;
    int height = 0;
    for (const QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        width += (width > 0 ? std::max(spacing(), 0) : 0) + item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
    }
    const QMargins margins = contentsMargins();
    return QSize(width + margins.left() + margins.right(), height + margins.top() + margins.bottom());
}

void WrappingLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int WrappingLayout::arrange(const QRect& rect, bool place) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int gap = std::max(spacing(), 0);
    int y = area.top();
    QList<QLayoutItem*> row;
    int rowWidth = 0;
    int rowHeight = 0;
    const auto finishRow = [&] {
        if (row.isEmpty())
            return;
        int x = area.left();
        for (QLayoutItem* item : row) {
            const QSize size = item->sizeHint();
            if (place)
                item->setGeometry(QRect(QPoint(x, y + (rowHeight - size.height()) / 2), size));
            x += size.width() + gap;
        }
        y += rowHeight + gap;
        row.clear();
        rowWidth = 0;
        rowHeight = 0;
    };
    for (QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize size = item->sizeHint();
        if (!row.isEmpty() && rowWidth + gap + size.width() > area.width())
            finishRow();
        rowWidth += (row.isEmpty() ? 0 : gap) + size.width();
        rowHeight = std::max(rowHeight, size.height());
        row.append(item);
    }
    finishRow();
    const int used = y > area.top() ? y - gap - area.top() : 0;
    const QMargins margins = contentsMargins();
    return used + margins.top() + margins.bottom();
}

#pragma once
// A row of items that wraps onto further rows when the width runs out. Every
// item keeps the width it asks for, so nothing is ever squeezed or cut: a
// narrow window gets more rows instead. Each row is as high as its highest
// item, which the others are centred against.

#include <QLayout>
#include <QList>

class WrappingLayout : public QLayout {
public:
    explicit WrappingLayout(QWidget* parent = nullptr);
    ~WrappingLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(m_items.size()); }
    QLayoutItem* itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    // As narrow as the widest item; as wide as all of them in one row.
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Lays the items out in the rectangle (placing them when place is true)
    // and returns the height used, margins included.
    int arrange(const QRect& rect, bool place) const;

    QList<QLayoutItem*> m_items;
};

#include "session/PaneArea.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSplitter>
#include <QVBoxLayout>

#include "display/CTerminalView.h"
#include "session/SendBar.h"

PaneArea::PaneArea(QWidget* parent)
    : QWidget(parent)
{
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    const std::array<QString, 2> names{QStringLiteral("왼쪽창"), QStringLiteral("오른쪽창")};
    auto* strip = new QWidget(this);
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    for (std::size_t side = 0; side < m_panes.size(); ++side) {
        m_panes[side] = new CTerminalView(splitter);
        m_panes[side]->setAccessibleName(names[side]);
        m_panes[side]->setMinimumWidth(10);
        splitter->addWidget(m_panes[side]);
        m_bars[side] = new SendBar(names[side] + QStringLiteral(" 입력"), strip);
        stripLayout->addWidget(m_bars[side], 1);
        // "붙여넣기" in a pane's menu puts the text into its bar, not yet sent.
        connect(m_panes[side], &CTerminalView::pasteRequested, m_bars[side], [bar = m_bars[side]](const QString& text) {
            bar->inputLine()->insert(text);
            bar->setFocus();
        });
    }
    splitter->setSizes({1, 1});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(splitter, 1);
    layout->addWidget(strip);
}

void PaneArea::clearPane(PaneSide side)
{
    pane(side)->content().clearScreen(true);
    pane(side)->setFocus();
    bar(side)->setFocus();
}

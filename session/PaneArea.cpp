#include "session/PaneArea.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSplitter>
#include <QVBoxLayout>

#include <mutex>

#include "display/CTerminalView.h"
#include "session/ConnectionLock.h"
#include "session/ReplyDecoder.h"
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
    for (int side = 0; side < 2; ++side) {
        panes[side] = new CTerminalView(splitter);
        panes[side]->setAccessibleName(names[side]);
        panes[side]->setMinimumWidth(10);
        panes[side]->setModelLock(&connectionLock());
        splitter->addWidget(panes[side]);
        bars[side] = new SendBar(names[side] + QStringLiteral(" 입력"), strip);
        stripLayout->addWidget(bars[side], 1);
        // "붙여넣기" in a pane's menu puts the text into its bar, not yet sent.
        connect(panes[side], &CTerminalView::pasteRequested, bars[side], [bar = bars[side]](const QString& text) {
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

void PaneArea::showPortData(int port, const std::string& text)
{
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    for (int side = 0; side < 2 && !text.empty(); ++side) {
        if (paneShowsPortData(selection[side], port))
            panes[side]->putText(text);
    }
}

void PaneArea::showPortMessage(int port, const std::string& text)
{
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    for (int side = 0; side < 2 && !text.empty(); ++side) {
        if (paneShowsPortMessage(selection[side], port))
            panes[side]->putLine(text);
    }
}

void PaneArea::clearPane(int side)
{
    {
        std::lock_guard<std::recursive_mutex> lock(connectionLock());
        panes[side]->clearScreen(true);
    }
    panes[side]->setFocus();
    bars[side]->setFocus();
}

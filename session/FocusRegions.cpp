#include "session/FocusRegions.h"

#include <QApplication>
#include <QShortcut>

#include "display/CTerminalView.h"
#include "session/CChildFrame.h"
#include "session/ConnectionToolBar.h"
#include "session/SendBar.h"

FocusRegions::FocusRegions(CChildFrame* window)
    : QObject(window)
    , m_window(window)
{
    auto* forward = new QShortcut(QKeySequence(Qt::Key_F6), window);
    auto* backward = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), window);
    for (QShortcut* shortcut : {forward, backward})
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(forward, &QShortcut::activated, this, &FocusRegions::next);
    connect(backward, &QShortcut::activated, this, &FocusRegions::previous);
}

int FocusRegions::currentRegion() const
{
    const QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr)
        return -1;
    if (m_window->toolBar()->isAncestorOf(focus))
        return ToolBar;
    for (const PaneSide pane : paneSides) {
        const SendBar* bar = m_window->sendBar(pane);
        if (focus == bar || bar->isAncestorOf(focus))
            return pane == PaneSide::Left ? LeftBar : RightBar;
    }
    return -1;
}

void FocusRegions::move(int step)
{
    const int current = currentRegion();
    // From elsewhere in the window, F6 starts at the tool bar and Shift+F6 at
    // the last send bar.
    const int from = current >= 0 ? current : (step > 0 ? RegionCount - 1 : 0);
    enter((from + step + RegionCount) % RegionCount);
}

void FocusRegions::enter(int region)
{
    if (region == ToolBar) {
        m_window->toolBar()->restoreFocus();
        return;
    }
    const PaneSide pane = region == LeftBar ? PaneSide::Left : PaneSide::Right;
    // Through the pane, so the window takes it as the active pane.
    m_window->pane(pane)->setFocus(Qt::ShortcutFocusReason);
    m_window->sendBar(pane)->setFocus(Qt::ShortcutFocusReason);
}

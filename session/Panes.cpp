// The panes: what each one shows, the active pane, the send bars below them,
// and what reaches which pane.

#include <QComboBox>
#include <QPointer>

#include <mutex>

#include "base/QtText.h"
#include "base/WaitPumping.h"
#include "display/CTerminalView.h"
#include "session/CChildFrame.h"
#include "session/ConnectionLock.h"
#include "session/ConnectionToolBar.h"
#include "session/SendBar.h"

void CChildFrame::selectPaneSource(Pane pane)
{
    m_area->selection[pane] = paneSelectionOfRow(m_toolBar->paneSelectors[pane]->currentIndex());
    m_activePane = pane;
    m_lastFocusedPane = m_panes[pane];  // as if the pane had been clicked
    m_bars[pane]->setFocus();
}

void CChildFrame::resetPaneSelections()
{
    for (int side = 0; side < 2; ++side) {
        m_toolBar->paneSelectors[side]->setCurrentIndex(rowOfPaneSelection(noPort));
        m_area->selection[side] = noPort;
    }
}

void CChildFrame::focusActivePane()
{
    m_activePane = m_lastFocusedPane == m_panes[RightPane] ? RightPane : LeftPane;
    m_bars[m_activePane]->setFocus();
}

void CChildFrame::sendFromBar(SendBar* bar)
{
    const std::string text = toCp949(bar->takeText());
    const int selection = m_area->selection[paneOfBar(bar)];
    const QPointer<CChildFrame> self(this);
    if (selection == noPort)
        sendLocalText(text);
    else
        sendPortText(selection, text);
    if (self)
        bar->setFocus();
}

void CChildFrame::showInAllPanes(const std::string& text)
{
    if (text.empty())
        return;
    const QPointer<CChildFrame> self(this);
    {
        std::lock_guard<std::recursive_mutex> lock(connectionLock());
        m_panes[LeftPane]->putLine(text);
    }
    waitPumping(50);
    if (!self)
        return;
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    m_panes[RightPane]->putLine(text);
}

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
#include "session/ReplyDecoder.h"
#include "session/SendBar.h"

CChildFrame::Pane CChildFrame::paneOfBar(const SendBar* bar) const
{
    return bar == m_bars[RightPane] ? RightPane : LeftPane;
}

void CChildFrame::selectPaneSource(Pane pane)
{
    m_selection[pane] = paneSelectionOfRow(m_toolBar->paneSelectors[pane]->currentIndex());
    m_activePane = pane;
    m_lastFocusedPane = m_panes[pane];  // as if the pane had been clicked
    m_bars[pane]->setFocus();
}

void CChildFrame::resetPaneSelections()
{
    for (int side = 0; side < 2; ++side) {
        m_toolBar->paneSelectors[side]->setCurrentIndex(rowOfPaneSelection(noPort));
        m_selection[side] = noPort;
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
    const int selection = m_selection[paneOfBar(bar)];
    const QPointer<CChildFrame> self(this);
    if (selection == noPort)
        sendLocalText(text);
    else
        sendPortText(selection, text);
    if (self)
        bar->setFocus();
}

void CChildFrame::clearPane(SendBar* bar)
{
    const Pane pane = paneOfBar(bar);
    {
        std::lock_guard<std::recursive_mutex> lock(connectionLock());
        m_panes[pane]->clearScreen(true);
    }
    m_panes[pane]->setFocus();
    bar->setFocus();
}

void CChildFrame::showPortData(int port, const std::string& text)
{
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    for (int side = 0; side < 2 && !text.empty(); ++side) {
        if (paneShowsPortData(m_selection[side], port))
            m_panes[side]->putText(text);
    }
}

void CChildFrame::showPortMessage(int port, const std::string& text)
{
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    for (int side = 0; side < 2 && !text.empty(); ++side) {
        if (paneShowsPortMessage(m_selection[side], port))
            m_panes[side]->putLine(text);
    }
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

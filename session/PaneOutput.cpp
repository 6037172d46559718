// What reaches which pane, and the panes' log files.

#include <QCheckBox>
#include <QDateTime>
#include <QPointer>

#include <mutex>

#include "display/CTerminalView.h"
#include "serial/AppPaths.h"
#include "serial/WaitPumping.h"
#include "session/CChildFrame.h"
#include "session/ConnectionDialogs.h"
#include "session/ConnectionLock.h"
#include "session/ConnectionToolBar.h"
#include "session/ReplyDecoder.h"

void CChildFrame::echoLocal(std::string_view bytes)
{
    if (bytes.empty())
        return;
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    for (int side = 0; side < 2; ++side) {
        if (paneShowsLocalEcho(m_selection[side]))
            m_panes[side]->putText(bytes);
    }
}

void CChildFrame::showPortData(int port, const std::string& text)
{
    if (text.empty())
        return;
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    for (int side = 0; side < 2; ++side) {
        if (paneShowsPortData(m_selection[side], port))
            m_panes[side]->putText(text);
    }
}

void CChildFrame::showPortMessage(int port, const std::string& text)
{
    if (text.empty())
        return;
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    for (int side = 0; side < 2; ++side) {
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

void CChildFrame::toggleLog(Pane pane)
{
    QCheckBox* box = m_toolBar->logBoxes[pane];
    if (!box->isChecked()) {
        std::lock_guard<std::recursive_mutex> lock(connectionLock());
        m_panes[pane]->closeLog();
        return;
    }
    const int selection = m_selection[pane];
    const QChar letter = isRemotePort(selection) ? QChar('0' + selection) : QChar('M');
    const QString proposed = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmm"))
                             + (pane == LeftPane ? QStringLiteral("_L") : QStringLiteral("_R")) + letter;
    const QPointer<CChildFrame> self(this);
    const QString path =
        connectionDialogs().askLogPath(this, QString::fromStdString(dataDirectory()), proposed);
    if (!self || m_closing)
        return;
    bool opened = false;
    if (!path.isEmpty()) {
        std::lock_guard<std::recursive_mutex> lock(connectionLock());
        if (m_panes[pane]->isLogOpen())
            m_panes[pane]->closeLog();
        opened = m_panes[pane]->openLog(path.toStdString());
    }
    box->setChecked(opened);
}

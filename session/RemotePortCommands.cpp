// Remote port commands, pane selection and the send bars.

#include <QComboBox>
#include <QPointer>
#include <QPushButton>

#include "base/QtText.h"
#include "display/CTerminalView.h"
#include "session/CChildFrame.h"
#include "session/ConnectionDialogs.h"
#include "session/ConnectionLock.h"
#include "session/ConnectionToolBar.h"
#include "session/SendBar.h"

namespace {

void trimTrailingWhiteSpace(std::string& text)
{
    const std::size_t end = text.find_last_not_of(" \t\r\n\v\f");
    text.erase(end == std::string::npos ? 0 : end + 1);
}

bool containsDialCommand(const std::string& text)
{
    for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
        if ((text[i] == 'a' || text[i] == 'A') && (text[i + 1] == 't' || text[i + 1] == 'T')
            && (text[i + 2] == 'd' || text[i + 2] == 'D'))
            return true;
    }
    return false;
}

}  // namespace

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

void CChildFrame::focusActivePane()
{
    m_activePane = m_lastFocusedPane == m_panes[RightPane] ? RightPane : LeftPane;
    m_bars[m_activePane]->setFocus();
}

void CChildFrame::sendFromBar(SendBar* bar)
{
    const Pane pane = paneOfBar(bar);
    const std::string text = toCp949(bar->takeText());
    const int selection = m_selection[pane];
    const QPointer<CChildFrame> self(this);
    if (selection == noPort) {
        m_localText = text;
        sendLocalText();
    } else {
        m_portTexts[selection] = text;
        sendPortText(selection);
    }
    if (self)
        bar->setFocus();
}

void CChildFrame::sendLocalText()
{
    if (m_localText.empty())
        return;
    trimTrailingWhiteSpace(m_localText);
    const std::string text = m_localText;
    m_localText.clear();
    sendText(text, noPort, true);
    if (containsDialCommand(text)) {
        const std::size_t digit = text.find_first_of("0123456789");
        beginManualDial(digit == std::string::npos ? std::string() : text.substr(digit));
    }
}

void CChildFrame::sendPortText(int port)
{
    if (!isRemotePort(port))
        return;
    std::string text = m_portTexts[port];
    m_portTexts[port].clear();
    trimTrailingWhiteSpace(text);
    text.push_back('\r');
    m_requestKind = RequestKind::PortData;
    sendFrame(text, port);
}

void CChildFrame::sendInterrupt(SendBar* bar)
{
    const int port = m_selection[paneOfBar(bar)];
    if (!isRemotePort(port))
        return;  // a pane showing local traffic sends nothing
    m_portTexts[port].assign(1, char(0x03));  // ETX, CTRL+C
    sendPortText(port);
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

void CChildFrame::togglePort(int port)
{
    if (!isRemotePort(port))
        return;
    if (m_toolBar->portToggles[port]->isChecked()) {
        m_requestKind = RequestKind::PortConnect;
        sendFrame("CONN", port);
    } else {
        m_requestKind = RequestKind::PortRelease;
        sendFrame("DISC", port);
    }
}

void CChildFrame::configureRemotePort()
{
    if (m_dialling)
        return;
    const QPointer<CChildFrame> self(this);
    const std::optional<RemotePortAnswer> answer =
        connectionDialogs().askRemotePortSettings(this, m_selection[m_activePane], m_portStatus);
    if (!self || !answer || m_closing)
        return;
    m_requestKind = RequestKind::PortConfigure;
    sendFrame(answer->settingsText, answer->port);
}

void CChildFrame::changeIdAndPassword()
{
    if (m_dialling)
        return;
    const QPointer<CChildFrame> self(this);
    const std::optional<LoginAnswer> answer =
        connectionDialogs().askLogin(this, QStringLiteral("아이디 변경"), m_userId, m_password);
    if (!self || !answer || m_closing)
        return;
    m_pendingPayload = m_password + ' ' + answer->password;
    m_requestKind = RequestKind::ChangeId;
    sendFrame(m_userId + ' ' + answer->userId, noPort);
}

void CChildFrame::sendPasswordChange()
{
    m_requestKind = RequestKind::ChangePassword;
    sendFrame(m_pendingPayload, noPort);
}

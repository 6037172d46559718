// The connection window's modem dialogue: dialling, the modem's result lines,
// login, hang-up and disconnection.

#include <QComboBox>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <cctype>

#include "base/QtText.h"
#include "base/WaitPumping.h"
#include "session/CChildFrame.h"
#include "session/ConnectionDialogs.h"
#include "session/ConnectionHost.h"
#include "session/ConnectionMessages.h"
#include "session/ConnectionToolBar.h"
#include "session/DialWaitDialog.h"
#include "session/LinkFrame.h"

namespace msg = connectionMessages;

namespace {

std::string upperCased(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool contains(const std::string& text, const char* word)
{
    return text.find(word) != std::string::npos;
}

}  // namespace

void CChildFrame::sendText(const std::string& text, int port, bool appendCr)
{
    if (text.empty() || m_dialling)
        return;
    if (m_port.carrierDetected()) {
        sendFrame(text, port);  // framed with the current request kind, no CR
        return;
    }
    std::string raw = text;
    if (appendCr)
        raw.push_back('\r');
    m_port.write(raw);
}

void CChildFrame::sendFrame(const std::string& payload, int port)
{
    if (payload.empty())
        return;
    const std::string frame = buildFrame(m_requestKind, port, payload);
    if (m_port.carrierDetected())
        m_port.write(frame);
    else
        hangUp();
}

void CChildFrame::onLineReceived(const std::string& line)
{
    handleModemLine(line);
}

void CChildFrame::dial()
{
    if (m_dialling || m_connected)
        return;
    const DialSettings settings = m_host.dialSettings();
    const QPointer<CChildFrame> self(this);
    const std::optional<PhoneEntry> entry = connectionDialogs().choosePhoneEntry(this);
    if (!self || !entry || m_closing)
        return;
    m_userId = entry->userId;
    m_password = entry->password;
    m_connectedTitle = msg::connectedTitle(entry->name, entry->number);
    std::string dialText = settings.dialCommand + " ";
    if (entry->outsideLine)
        dialText += settings.outsideLineNumber + "," + entry->number;
    else
        dialText += entry->number;
    sendText(dialText, noPort, true);
    closeDialWait();
    m_waitWindow = new DialWaitDialog(this);
    connect(m_waitWindow, &DialWaitDialog::cancelled, this, &CChildFrame::cancelDial, Qt::QueuedConnection);
    m_waitWindow->showCentred();
    m_dialling = true;
}

void CChildFrame::beginManualDial(const std::string& number)
{
    m_connectedTitle = msg::manualConnectedTitle(number);
    closeDialWait();
    m_waitWindow = new DialWaitDialog(this);
    connect(m_waitWindow, &DialWaitDialog::cancelled, this, &CChildFrame::cancelDial, Qt::QueuedConnection);
    m_waitWindow->showCentred();
    m_dialling = true;
}

void CChildFrame::cancelDial()
{
    m_dialling = false;
    const QPointer<CChildFrame> self(this);
    sendText("\r", noPort, false);
    waitPumping(200);  // any character aborts a dialling modem; the second CR follows
    if (!self || m_closing)
        return;
    sendText("\r", noPort, false);
}

void CChildFrame::closeDialWait()
{
    m_dialling = false;
    if (m_waitWindow) {
        m_waitWindow->disconnect(this);
        m_waitWindow->hide();
        m_waitWindow->deleteLater();
        m_waitWindow = nullptr;
    }
}

void CChildFrame::handleModemLine(const std::string& line)
{
    if (line.empty())
        return;
    const std::string upper = upperCased(line);
    const QPointer<CChildFrame> self(this);
    if (m_dialling) {
        if (contains(upper, "CONNECT")) {
            setConnected(true);
            startLogin();
            if (self)
                closeDialWait();
        } else if (contains(upper, "BUSY")) {
            showInAllPanes(msg::lineBusy());
            if (!self)
                return;
            cancelDial();
            if (self)
                closeDialWait();
        } else if (contains(upper, "NO")) {
            showInAllPanes(msg::dialFailed());
            if (!self)
                return;
            cancelDial();
            if (self)
                closeDialWait();
        }
    }
    if (self && m_connected && contains(upper, "CARRIER")) {
        markDisconnected();
        showInAllPanes(msg::connectionLost());
    }
}

void CChildFrame::startLogin()
{
    m_requestKind = RequestKind::LoginId;
    m_pendingPayload = m_password;
    sendFrame(m_userId, noPort);
}

void CChildFrame::sendLoginPassword()
{
    m_requestKind = RequestKind::LoginPassword;
    sendFrame(m_pendingPayload, noPort);
}

void CChildFrame::retryLogin()
{
    const QPointer<CChildFrame> self(this);
    const std::optional<LoginAnswer> answer =
        connectionDialogs().askLogin(this, fromCp949(msg::retryLoginCaption()), m_userId, m_password);
    if (!self || m_closing)
        return;
    if (answer) {
        m_requestKind = RequestKind::LoginId;
        m_pendingPayload = answer->password;
        sendFrame(answer->userId, noPort);
    } else {
        hangUp();
    }
}

void CChildFrame::hangUp()
{
    if (m_dialling)
        return;
    const QPointer<CChildFrame> self(this);
    m_port.write(std::string_view("+++"));
    waitPumping(3000);  // the modem's escape guard time
    if (!self || m_closing)
        return;  // a window closed meanwhile never sends the hang-up
    m_port.write(std::string_view("ATH\r"));
    markDisconnected();
}

void CChildFrame::markDisconnected()
{
    setConnected(false);
    resetPaneSelections();
    for (QPushButton* toggle : m_toolBar->portToggles) {
        const QSignalBlocker quiet(toggle);
        toggle->setChecked(false);
    }
    setDocumentTitle(m_baseTitle);
}

void CChildFrame::resetPaneSelections()
{
    for (int side = 0; side < 2; ++side) {
        m_toolBar->paneSelectors[side]->setCurrentIndex(rowOfPaneSelection(noPort));
        m_selection[side] = noPort;
    }
}

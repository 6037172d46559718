#include "session/ConnectionDialogue.h"

#include <algorithm>
#include <cctype>

#include "session/ConnectionMessages.h"
#include "session/LinkFrame.h"
#include "session/ReplyDecoder.h"

namespace msg = connectionMessages;

namespace {

using Kind = DialogueAction::Kind;

DialogueAction act(Kind kind, std::string text = {})
{
    return DialogueAction::of(kind, std::move(text));
}

DialogueActions& operator+=(DialogueActions& list, DialogueActions more)
{
    list.insert(list.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    return list;
}

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

void trimTrailingWhiteSpace(std::string& text)
{
    const std::size_t end = text.find_last_not_of(" \t\r\n\v\f");
    text.erase(end == std::string::npos ? 0 : end + 1);
}

}  // namespace

LineSettings lineSettingsFor(const PortSettings& settings)
{
    LineSettings line;
    line.portName = settings.portName;
    const bool usableSpeed = settings.baudHundreds > 0 && settings.baudHundreds <= 40000;
    line.baudRate = usableSpeed ? static_cast<std::uint32_t>(settings.baudHundreds) * 100u : 0u;
    line.dataBits = settings.dataBits;
    line.stopBitsCode = settings.stopBits;
    line.parityCode = settings.parity;
    return line;
}

DialogueActions ConnectionDialogue::takePort(std::string_view portName, std::string_view lineSettingsText)
{
    m_baseTitle = msg::baseTitle(portName, lineSettingsText);
    return setTitle(m_baseTitle);
}

DialogueActions ConnectionDialogue::portOpened(bool carrier, const std::string& initCommand)
{
    DialogueActions out;
    m_connected = carrier;
    if (!carrier)
        out += sendText(initCommand, noPort, true, false);
    out.push_back(DialogueAction::showConnected(m_connected));
    out.push_back(act(Kind::ResetPanes));
    m_userId = "admin";
    m_password = "pilvo";
    return out;
}

DialogueActions ConnectionDialogue::sendText(const std::string& text, int port, bool appendCr, bool carrier)
{
    if (text.empty() || m_dialling)
        return {};
    if (m_lineGone)
        return tellLineGone();
    if (carrier)
        return sendFrame(text, port, carrier);  // framed with the current request kind, no CR
    return {act(Kind::WriteRaw, appendCr ? text + '\r' : text)};
}

DialogueActions ConnectionDialogue::sendFrame(const std::string& payload, int port, bool carrier)
{
    if (payload.empty())
        return {};
    if (m_lineGone)
        return tellLineGone();
    if (!carrier)
        return hangUp();
    return {act(Kind::WriteFrame, buildFrame(m_requestKind, port, payload))};
}

DialogueActions ConnectionDialogue::modemLine(const std::string& line, bool carrier)
{
    if (line.empty())
        return {};
    const std::string upper = upperCased(line);
    DialogueActions out;
    if (m_dialling) {
        if (contains(upper, "CONNECT")) {
            m_connected = true;
            out.push_back(DialogueAction::showConnected(true));
            out += startLogin(carrier);
            out += closeDialWait();
        } else if (contains(upper, "BUSY") || contains(upper, "NO")) {
            return dialFailed(upper, contains(upper, "BUSY") ? msg::lineBusy() : msg::dialFailed());
        }
    }
    out += carrierLine(upper);
    return out;
}

// A failed dial: the message, the dial cancelled (CR, 200 ms, CR), then the
// next attempt counted down while attempts remain, or the wait window goes.
DialogueActions ConnectionDialogue::dialFailed(const std::string& upperLine, const std::string& message)
{
    // The message waits with events flowing: the dial stays in progress until
    // its cancel comes due.
    DialogueActions out{act(Kind::ShowInAllPanes, message), act(Kind::CancelDial)};
    if (attemptsRemain()) {
        out += scheduleAttempt();
    } else {
        m_reconnecting = false;
        out.push_back(act(Kind::CloseDialWait));
    }
    out.push_back(act(Kind::CheckCarrierLine, upperLine));
    return out;
}

DialogueActions ConnectionDialogue::carrierLine(const std::string& upperLine)
{
    if (!m_connected || !contains(upperLine, "CARRIER"))
        return {};
    const std::bitset<remotePortCount> portsOn = m_portsOn;
    DialogueActions out = markDisconnected();
    out.push_back(act(Kind::ShowInAllPanes, msg::connectionLost()));
    out += reconnectAfterLoss(portsOn);
    return out;
}

// The line was lost while connected, not by the operator's hang-up: with
// reconnecting on, the same entry is dialled again after the interval.
DialogueActions ConnectionDialogue::reconnectAfterLoss(const std::bitset<remotePortCount>& portsOn)
{
    if (!m_redial.reconnect || !m_lastDialText || m_hangingUp)
        return {};
    m_reconnecting = true;
    m_portsToRestore = portsOn;
    m_attempt = 0;
    m_attempts = std::max(m_redial.redialCount, 1);
    DialogueActions out = showDialWait();
    m_dialling = false;  // the wait window counts down; no dial is in progress yet
    out += scheduleAttempt();
    return out;
}

// The next attempt of a series: told in the panes, counted down in the wait
// window, then dialled.
DialogueActions ConnectionDialogue::scheduleAttempt()
{
    m_countingDown = true;
    const int next = m_attempt + 1;
    const std::string told = m_reconnecting
        ? msg::reconnecting(next, m_attempts)
        : msg::redialing(next, m_attempts, m_redial.redialIntervalSeconds);
    DialogueActions out{act(Kind::ShowInAllPanes, told)};
    DialogueAction countdown = act(Kind::Countdown);
    countdown.milliseconds = m_redial.redialIntervalSeconds * 1000;
    out.push_back(countdown);
    out.push_back(act(Kind::Redial));
    return out;
}

std::string ConnectionDialogue::countdownText(int secondsLeft) const
{
    return m_reconnecting ? msg::reconnectCountdown(m_attempt + 1, m_attempts, secondsLeft)
                          : msg::redialing(m_attempt + 1, m_attempts, secondsLeft);
}

// The countdown has run out: the vanished port is opened again first.
DialogueActions ConnectionDialogue::redialNow(bool carrier)
{
    if (m_lineGone)
        return {act(Kind::ReopenPort)};
    DialogueActions out = sendText(*m_lastDialText, noPort, true, carrier);
    m_dialling = true;
    return out;
}

DialogueActions ConnectionDialogue::portReopened(bool opened, const std::string& initCommand, bool carrier)
{
    if (!m_reconnecting)
        return {};
    if (!opened) {
        DialogueActions out{act(Kind::ShowInAllPanes, msg::portReopenFailed())};
        if (attemptsRemain()) {
            out += scheduleAttempt();
        } else {
            m_reconnecting = false;
            out += closeDialWait();
        }
        return out;
    }
    m_lineGone = false;
    // The modem behind a port opened anew is initialised before it dials.
    DialogueActions out = sendText(initCommand, noPort, true, carrier);
    out.push_back(DialogueAction::wait(1000));
    out += redialNow(carrier);
    return out;
}

// The operator ends a series: the countdown stops and the wait window goes.
DialogueActions ConnectionDialogue::stopRetrying()
{
    m_countingDown = false;
    m_reconnecting = false;
    return closeDialWait();
}

DialogueActions ConnectionDialogue::frameReceived(std::string_view frame)
{
    return replyDecoded(decodeReply(frame, m_requestKind));
}

DialogueActions ConnectionDialogue::replyDecoded(const ReplyOutcome& outcome)
{
    if (outcome.kind == ReplyOutcome::Kind::Ignored)
        return {};
    const int port = outcome.portIndex;
    if (outcome.kind == ReplyOutcome::Kind::PortData) {
        if (outcome.payload.empty())
            return {};
        return {DialogueAction::forPort(Kind::ShowPortData, port, outcome.payload)};
    }

    DialogueActions out;
    if (isRemotePort(port)) {
        if (outcome.statusChange == ReplyOutcome::StatusChange::SetToPayload)
            m_portStatus[port] = outcome.payload;
        else if (outcome.statusChange == ReplyOutcome::StatusChange::Clear)
            m_portStatus[port].clear();
        if (outcome.releaseToggle) {
            m_portsOn.reset(static_cast<std::size_t>(port));
            out.push_back(DialogueAction::forPort(Kind::ReleaseToggle, port));
        }
    }
    if (outcome.showConnectedTitle)
        out += setTitle(m_connectedTitle);
    if (!outcome.message.empty()) {
        if (outcome.messageToAllPanes)
            out.push_back(act(Kind::ShowInAllPanes, outcome.message));
        else
            out.push_back(DialogueAction::forPort(Kind::ShowPortMessage, port, outcome.message));
    }
    if (outcome.showConnectedTitle && m_reconnecting) {
        // Logged in again: the ports that were on go on again.
        m_reconnecting = false;
        out.push_back(act(Kind::RestorePorts));
    }
    switch (outcome.followUp) {
    case ReplyOutcome::FollowUp::SendLoginPassword:
        out.push_back(act(Kind::SendLoginPassword));
        break;
    case ReplyOutcome::FollowUp::RetryLogin:
        if (m_reconnecting) {
            // A wrong password does not get better by retrying, and nobody
            // may be there to answer a dialog.
            m_reconnecting = false;
            out.push_back(act(Kind::ShowInAllPanes, msg::reconnectStopped()));
            out += hangUp();
            break;
        }
        out += retryLogin();
        break;
    case ReplyOutcome::FollowUp::SendPasswordChange:
        out.push_back(act(Kind::SendPasswordChange));
        break;
    case ReplyOutcome::FollowUp::None:
        break;
    }
    return out;
}

DialogueActions ConnectionDialogue::lineLost()
{
    // The device vanished (adapter pulled, network port dropped): back to the
    // unconnected state; the operator can close and reopen, and a reconnect
    // opens the port again first.
    m_lineGone = true;
    const bool wasConnected = m_connected;
    const std::bitset<remotePortCount> portsOn = m_portsOn;
    m_countingDown = false;
    DialogueActions out = closeDialWait();
    out += markDisconnected();
    out.push_back(act(Kind::ShowInAllPanes, msg::connectionLost()));
    if (wasConnected)
        out += reconnectAfterLoss(portsOn);
    else
        m_reconnecting = false;
    return out;
}

DialogueActions ConnectionDialogue::dial()
{
    if (m_dialling || m_connected || m_countingDown)
        return {};
    if (m_lineGone)
        return tellLineGone();
    return {act(Kind::ChoosePhoneEntry)};
}

DialogueActions ConnectionDialogue::tellLineGone() const
{
    return {act(Kind::ShowInAllPanes, msg::lineGone())};
}

DialogueActions ConnectionDialogue::phoneEntryChosen(const PhoneEntry& entry, const DialSettings& settings,
                                                     bool carrier)
{
    if (m_lineGone)
        return tellLineGone();  // the line went while the phone book was open
    m_userId = entry.userId;
    m_password = entry.password;
    m_connectedTitle = msg::connectedTitle(entry.name, entry.number);
    m_unitName = entry.name;
    m_unitNumber = entry.number;
    std::string dialText = settings.dialCommand + " ";
    if (entry.outsideLine)
        dialText += settings.outsideLineNumber + "," + entry.number;
    else
        dialText += entry.number;
    DialogueActions out = sendText(dialText, noPort, true, carrier);
    out += showDialWait();
    // A new series: the same text is dialled again while attempts remain.
    m_redial = settings;
    m_lastDialText = dialText;
    m_attempt = 1;
    m_attempts = 1 + m_redial.redialCount;
    m_countingDown = false;
    m_reconnecting = false;
    return out;
}

DialogueActions ConnectionDialogue::beginManualDial(const std::string& number)
{
    m_connectedTitle = msg::manualConnectedTitle(number);
    m_unitName.clear();
    m_unitNumber = number;
    m_lastDialText.reset();
    m_countingDown = false;
    m_reconnecting = false;
    return showDialWait();
}

DialogueActions ConnectionDialogue::showDialWait()
{
    DialogueActions out = closeDialWait();
    out.push_back(act(Kind::ShowDialWait));
    m_dialling = true;
    return out;
}

DialogueActions ConnectionDialogue::cancelDial(bool carrier)
{
    // The wait window's 취소 also stops a redial or reconnect; during its
    // countdown nothing is dialling, so nothing is sent.
    const bool dialling = m_dialling;
    if (m_countingDown || m_reconnecting || m_attempt < m_attempts) {
        m_attempts = m_attempt;  // no attempt after this one
        DialogueActions stopped = stopRetrying();
        if (!dialling)
            return stopped;
    }
    return abortDial(carrier);
}

DialogueActions ConnectionDialogue::abortDial(bool carrier)
{
    // Any character aborts a dialling modem; the second CR follows 200 ms later.
    m_dialling = false;
    DialogueActions out = sendText("\r", noPort, false, carrier);
    out.push_back(DialogueAction::wait(200));
    out.push_back(act(Kind::CancelDialAgain));
    return out;
}

DialogueActions ConnectionDialogue::closeDialWait()
{
    m_dialling = false;
    return {act(Kind::HideDialWait)};
}

DialogueActions ConnectionDialogue::startLogin(bool carrier)
{
    m_requestKind = RequestKind::LoginId;
    m_pendingPayload = m_password;
    return sendFrame(m_userId, noPort, carrier);
}

DialogueActions ConnectionDialogue::sendLoginPassword(bool carrier)
{
    m_requestKind = RequestKind::LoginPassword;
    return sendFrame(m_pendingPayload, noPort, carrier);
}

DialogueActions ConnectionDialogue::retryLogin()
{
    return {act(Kind::AskRetryLogin, msg::retryLoginCaption())};
}

DialogueActions ConnectionDialogue::retryAnswered(const std::optional<LoginAnswer>& answer, bool carrier)
{
    if (!answer)
        return hangUp();
    // The login starts again from the ID step; the window's own credentials stay.
    m_requestKind = RequestKind::LoginId;
    m_pendingPayload = answer->password;
    return sendFrame(answer->userId, noPort, carrier);
}

DialogueActions ConnectionDialogue::hangUp()
{
    if (m_dialling)
        return {};
    // During a countdown, 전화끊기 stops the attempts: nothing is connected.
    if (m_countingDown)
        return stopRetrying();
    if (m_lineGone)
        return markDisconnected();
    m_hangingUp = true;
    // What still waits for the line goes; "+++" is the modem's escape and
    // needs the guard time, from when it has left, before "ATH".
    return {act(Kind::DropOutput), act(Kind::WriteRaw, "+++"), DialogueAction::wait(3000),
            act(Kind::FinishHangUp)};
}

DialogueActions ConnectionDialogue::markDisconnected()
{
    m_connected = false;
    m_portsOn.reset();
    DialogueActions out{DialogueAction::showConnected(false), act(Kind::ResetPanes),
                        act(Kind::ReleaseToggle)};
    out += setTitle(m_baseTitle);
    return out;
}

DialogueActions ConnectionDialogue::setTitle(const std::string& title)
{
    for (std::string& status : m_portStatus)
        status.clear();
    return {act(Kind::SetTitle, title)};
}

DialogueActions ConnectionDialogue::togglePort(int port, bool pressed, bool carrier)
{
    if (!isRemotePort(port))
        return {};
    m_portsOn.set(static_cast<std::size_t>(port), pressed);
    m_requestKind = pressed ? RequestKind::PortConnect : RequestKind::PortRelease;
    return sendFrame(pressed ? "CONN" : "DISC", port, carrier);
}

DialogueActions ConnectionDialogue::configureRemotePort()
{
    if (m_dialling)
        return {};
    return {act(Kind::AskPortSettings)};
}

DialogueActions ConnectionDialogue::portSettingsChosen(const RemotePortAnswer& answer, bool carrier)
{
    m_requestKind = RequestKind::PortConfigure;
    return sendFrame(answer.settingsText, answer.port, carrier);
}

DialogueActions ConnectionDialogue::configurePort(const RemotePortAnswer& answer, bool carrier)
{
    if (m_dialling)
        return {};
    return portSettingsChosen(answer, carrier);
}

DialogueActions ConnectionDialogue::changeIdAndPassword()
{
    if (m_dialling)
        return {};
    return {act(Kind::AskNewLogin, msg::idChangeCaption())};
}

DialogueActions ConnectionDialogue::newLoginAnswered(const LoginAnswer& answer, bool carrier)
{
    // Always the pair: the password step follows only when the ID step is accepted.
    m_pendingPayload = m_password + ' ' + answer.password;
    m_requestKind = RequestKind::ChangeId;
    return sendFrame(m_userId + ' ' + answer.userId, noPort, carrier);
}

DialogueActions ConnectionDialogue::sendPasswordChange(bool carrier)
{
    m_requestKind = RequestKind::ChangePassword;
    return sendFrame(m_pendingPayload, noPort, carrier);
}

DialogueActions ConnectionDialogue::sendLocalText(std::string text, bool carrier)
{
    if (text.empty())
        return {};
    if (m_lineGone)
        return tellLineGone();  // and no manual dial either
    trimTrailingWhiteSpace(text);
    DialogueActions out = sendText(text, noPort, true, carrier);
    // A typed dial command starts a manual dial, in every state.
    const std::string upper = upperCased(text);
    if (contains(upper, "ATD")) {
        const std::size_t digit = text.find_first_of("0123456789");
        out += beginManualDial(digit == std::string::npos ? std::string() : text.substr(digit));
    }
    return out;
}

DialogueActions ConnectionDialogue::sendPortText(int port, std::string text, bool carrier)
{
    if (!isRemotePort(port))
        return {};
    trimTrailingWhiteSpace(text);
    text.push_back('\r');
    m_requestKind = RequestKind::PortData;
    return sendFrame(text, port, carrier);
}

DialogueActions ConnectionDialogue::sendInterrupt(int port, bool carrier)
{
    return sendPortText(port, std::string(1, '\x03'), carrier);  // ETX, CTRL+C
}

DialogueActions ConnectionDialogue::sendPortBytes(int port, const std::string& bytes, bool carrier)
{
    if (!isRemotePort(port))
        return {};
    m_requestKind = RequestKind::PortData;
    return sendFrame(bytes, port, carrier);
}

DialogueActions ConnectionDialogue::resume(const DialogueAction& step, bool carrier)
{
    switch (step.kind) {
    case Kind::CancelDial:
        return abortDial(carrier);
    case Kind::CancelDialAgain:
        return sendText("\r", noPort, false, carrier);
    case Kind::CloseDialWait:
        return closeDialWait();
    case Kind::CheckCarrierLine:
        return carrierLine(step.text);
    case Kind::FinishHangUp: {
        DialogueActions out{act(Kind::WriteRaw, "ATH\r")};
        out += markDisconnected();
        m_hangingUp = false;
        return out;
    }
    case Kind::Redial:
        if (!m_countingDown)
            return {};  // stopped meanwhile
        m_countingDown = false;
        ++m_attempt;
        return redialNow(carrier);
    case Kind::RestorePorts: {
        DialogueActions out{act(Kind::RestorePanes)};
        for (std::size_t port = 0; port < m_portsToRestore.size(); ++port) {
            if (!m_portsToRestore.test(port))
                continue;
            out.push_back(DialogueAction::forPort(Kind::PressToggle, static_cast<int>(port)));
            out += togglePort(static_cast<int>(port), true, carrier);
        }
        m_portsToRestore.reset();
        return out;
    }
    case Kind::SendLoginPassword:
        return sendLoginPassword(carrier);
    case Kind::SendPasswordChange:
        return sendPasswordChange(carrier);
    default:
        return {};
    }
}

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
            // The message waits with events flowing: the dial stays in progress
            // until its cancel comes due.
            out.push_back(act(Kind::ShowInAllPanes, contains(upper, "BUSY") ? msg::lineBusy() : msg::dialFailed()));
            out.push_back(act(Kind::CancelDial));
            out.push_back(act(Kind::CloseDialWait));
            out.push_back(act(Kind::CheckCarrierLine, upper));
            return out;
        }
    }
    out += carrierLine(upper);
    return out;
}

DialogueActions ConnectionDialogue::carrierLine(const std::string& upperLine)
{
    if (!m_connected || !contains(upperLine, "CARRIER"))
        return {};
    DialogueActions out = markDisconnected();
    out.push_back(act(Kind::ShowInAllPanes, msg::connectionLost()));
    return out;
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
        if (outcome.releaseToggle)
            out.push_back(DialogueAction::forPort(Kind::ReleaseToggle, port));
    }
    if (outcome.showConnectedTitle)
        out += setTitle(m_connectedTitle);
    if (!outcome.message.empty()) {
        if (outcome.messageToAllPanes)
            out.push_back(act(Kind::ShowInAllPanes, outcome.message));
        else
            out.push_back(DialogueAction::forPort(Kind::ShowPortMessage, port, outcome.message));
    }
    switch (outcome.followUp) {
    case ReplyOutcome::FollowUp::SendLoginPassword:
        out.push_back(act(Kind::SendLoginPassword));
        break;
    case ReplyOutcome::FollowUp::RetryLogin:
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
    // unconnected state for good; the operator can close and reopen.
    m_lineGone = true;
    DialogueActions out = closeDialWait();
    out += markDisconnected();
    out.push_back(act(Kind::ShowInAllPanes, msg::connectionLost()));
    return out;
}

DialogueActions ConnectionDialogue::dial()
{
    if (m_dialling || m_connected)
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
    return out;
}

DialogueActions ConnectionDialogue::beginManualDial(const std::string& number)
{
    m_connectedTitle = msg::manualConnectedTitle(number);
    m_unitName.clear();
    m_unitNumber = number;
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
    if (m_lineGone)
        return markDisconnected();
    // What still waits for the line goes; "+++" is the modem's escape and
    // needs the guard time, from when it has left, before "ATH".
    return {act(Kind::DropOutput), act(Kind::WriteRaw, "+++"), DialogueAction::wait(3000),
            act(Kind::FinishHangUp)};
}

DialogueActions ConnectionDialogue::markDisconnected()
{
    m_connected = false;
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
        return cancelDial(carrier);
    case Kind::CancelDialAgain:
        return sendText("\r", noPort, false, carrier);
    case Kind::CloseDialWait:
        return closeDialWait();
    case Kind::CheckCarrierLine:
        return carrierLine(step.text);
    case Kind::FinishHangUp: {
        DialogueActions out{act(Kind::WriteRaw, "ATH\r")};
        out += markDisconnected();
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

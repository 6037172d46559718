#pragma once
// A connection's dialogue with its modem and the KR-V behind it, without a
// window and without carrying anything out: the request kind, the credentials, the pending payload, the
// titles, the port status texts and the dialling and connected flags. Each
// input (an operator command, a modem line, a reply frame, a lost line, the
// answer of a dialog) changes that state and gives the actions the connection
// carries out, in order.
//
// The state changes when an input is handled, so a list never holds a decision
// that a wait in front of it could make stale: where a step comes after a wait
// (a message shown in both panes, the dial cancel's 200 ms, the hang-up's 3 s),
// the list holds the step itself, and the connection hands it back to resume()
// when it gets there. Carrier is read at the moment an input is handed over.

#include <array>
#include <bitset>
#include <optional>
#include <string>
#include <string_view>

#include "base/PortRecords.h"
#include "directory/PhoneBook.h"
#include "serial/SerialDevice.h"
#include "session/DialogueAction.h"
#include "session/ReplyDecoder.h"
#include "session/RequestKind.h"

struct LoginAnswer {
    std::string userId;
    std::string password;
};

struct RemotePortAnswer {
    int port = 0;
    std::string settingsText;  // code page 949
};

// The line settings a local port is opened with. A hand-edited speed that is
// not a line speed gives 0, which the port refuses.
LineSettings lineSettingsFor(const PortSettings& settings);

class ConnectionDialogue {
public:
    // The window takes its port: the base title, "%s - [%s]", becomes the title.
    DialogueActions takePort(std::string_view portName, std::string_view lineSettingsText);
    // The port is open: with carrier the link is taken as up (no login);
    // otherwise the modem's initialisation command goes out. The credentials
    // become "admin" / "pilvo".
    DialogueActions portOpened(bool carrier, const std::string& initCommand);

    // The general send primitive and the frame sender.
    DialogueActions sendText(const std::string& text, int port, bool appendCr, bool carrier);
    DialogueActions sendFrame(const std::string& payload, int port, bool carrier);

    // Received.
    DialogueActions modemLine(const std::string& line, bool carrier);
    DialogueActions frameReceived(std::string_view frame);
    // A frame decoded against requestKind() (decodeReply).
    DialogueActions replyDecoded(const ReplyOutcome& outcome);
    DialogueActions lineLost();

    // Dialling, login and hang-up.
    DialogueActions dial();
    DialogueActions phoneEntryChosen(const PhoneEntry& entry, const DialSettings& settings, bool carrier);
    DialogueActions beginManualDial(const std::string& number);
    DialogueActions cancelDial(bool carrier);
    DialogueActions closeDialWait();
    DialogueActions startLogin(bool carrier);
    DialogueActions sendLoginPassword(bool carrier);
    DialogueActions retryLogin();
    DialogueActions retryAnswered(const std::optional<LoginAnswer>& answer, bool carrier);
    DialogueActions hangUp();
    DialogueActions markDisconnected();

    // Remote port commands, the account change and typed text.
    DialogueActions togglePort(int port, bool pressed, bool carrier);
    DialogueActions configureRemotePort();
    DialogueActions portSettingsChosen(const RemotePortAnswer& answer, bool carrier);
    // Remote port settings chosen without the dialog (a script): as the
    // dialog's OK, and like the command nothing while dialling.
    DialogueActions configurePort(const RemotePortAnswer& answer, bool carrier);
    DialogueActions changeIdAndPassword();
    DialogueActions newLoginAnswered(const LoginAnswer& answer, bool carrier);
    DialogueActions sendPasswordChange(bool carrier);
    DialogueActions sendLocalText(std::string text, bool carrier);
    DialogueActions sendPortText(int port, std::string text, bool carrier);
    DialogueActions sendInterrupt(int port, bool carrier);
    // Exact bytes as one data frame for the remote port, nothing added.
    DialogueActions sendPortBytes(int port, const std::string& bytes, bool carrier);

    // Carries on with a step reached in a list.
    DialogueActions resume(const DialogueAction& step, bool carrier);
    // The vanished port has been opened again (or not) for a reconnect.
    DialogueActions portReopened(bool opened, const std::string& initCommand, bool carrier);

    // Dialling again by itself: a countdown toward the next attempt of a
    // redial (after a busy or failed dial) or a reconnect (after a lost line)
    // is pending; the wait window shows countdownText.
    bool isCountingDown() const { return m_countingDown; }
    bool isReconnecting() const { return m_reconnecting; }
    std::string countdownText(int secondsLeft) const;

    bool isConnected() const { return m_connected; }
    bool isDialling() const { return m_dialling; }
    // The port's device vanished: dialling and sending only tell so.
    bool isLineGone() const { return m_lineGone; }
    RequestKind requestKind() const { return m_requestKind; }
    const std::string& userId() const { return m_userId; }
    const std::string& password() const { return m_password; }
    const std::string& connectedTitle() const { return m_connectedTitle; }
    // The unit last dialled: its phone book name (empty for a typed dial) and number.
    const std::string& unitName() const { return m_unitName; }
    const std::string& unitNumber() const { return m_unitNumber; }
    const std::array<std::string, remotePortCount>& portStatusTexts() const { return m_portStatus; }

private:
    DialogueActions setTitle(const std::string& title);
    DialogueActions carrierLine(const std::string& upperLine);
    DialogueActions showDialWait();
    DialogueActions tellLineGone() const;
    DialogueActions dialFailed(const std::string& upperLine, const std::string& message);
    DialogueActions reconnectAfterLoss(const std::bitset<remotePortCount>& portsOn);
    DialogueActions scheduleAttempt();
    DialogueActions redialNow(bool carrier);
    DialogueActions stopRetrying();
    DialogueActions abortDial(bool carrier);
    bool attemptsRemain() const { return m_lastDialText && m_attempt < m_attempts; }

    std::string m_baseTitle;
    std::string m_connectedTitle;
    std::string m_unitName;
    std::string m_unitNumber;
    std::string m_userId;
    std::string m_password;
    std::string m_pendingPayload;
    RequestKind m_requestKind = RequestKind::PortData;
    bool m_connected = false;
    bool m_dialling = false;
    bool m_lineGone = false;
    bool m_hangingUp = false;
    std::array<std::string, remotePortCount> m_portStatus;

    // Redial and reconnect. A series of attempts dials the same text again;
    // only a phone book dial starts one (a typed dial is the operator's own).
    DialSettings m_redial;
    std::optional<std::string> m_lastDialText;
    int m_attempt = 0;    // the attempt in progress or counted down to, from 1
    int m_attempts = 1;   // attempts the series may make
    bool m_countingDown = false;
    bool m_reconnecting = false;
    std::bitset<remotePortCount> m_portsOn;         // switched on by the operator, not refused busy
    std::bitset<remotePortCount> m_portsToRestore;  // on when the line was lost
};

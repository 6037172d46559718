#pragma once
// One thing a connection does for its dialogue: an effect it carries out
// (bytes to the line, text in the panes, something its front end shows, a
// pause, a question to its front end) or a step of the dialogue that has come
// due.

#include <string>
#include <utility>
#include <vector>

#include "session/RequestKind.h"

struct DialogueAction {
    enum class Kind {
        // Effects: the connection carries them out.
        WriteRaw,         // text: bytes written raw to the line
        WriteFrame,       // text: one whole link frame
        DropOutput,       // what is still queued for the line is dropped
        ShowInAllPanes,   // text: a message line in both panes (left, 50 ms, right)
        ShowPortMessage,  // text: a message line in the panes showing port or local traffic
        ShowPortData,     // text: data of port, in the panes showing exactly that port
        SetTitle,         // text: the window's caption
        ShowConnected,    // flag: the connection icon and the command enabling
        ResetPanes,       // both pane selectors back to "로컬"
        ReleaseToggle,    // port's toggle shown released; noPort: all four
        ShowDialWait,     // a new dial wait window, centred
        HideDialWait,     // the dial wait window goes away
        ChoosePhoneEntry, // the phone book; answer with phoneEntryChosen()
        AskRetryLogin,    // the login dialog, text its caption; answer with retryAnswered()
        AskNewLogin,      // the login dialog, text its caption; answer with newLoginAnswered()
        AskPortSettings,  // the remote port settings dialog; answer with portSettingsChosen()
        HangUpFinished,   // "ATH" has been written and the connection marked disconnected
        PressToggle,      // port's toggle shown pressed again, without a command (a reconnect)
        RestorePanes,     // the panes show again what they showed before the last reset
        Countdown,        // milliseconds toward the next dial attempt, told each second
                          // (ConnectionDialogue::countdownText); ends early when cancelled
        ReopenPort,       // the vanished port opened again; answer with portReopened()
        Wait,             // once the bytes written before it have left the port, milliseconds
                          // of pause; a connection closed meanwhile stops here
        // Steps of the dialogue that come due only here: hand them to resume().
        // They stay last; isStep() tells them by that.
        CancelDial,
        CancelDialAgain,  // the second CR of a dial cancel
        CloseDialWait,
        CheckCarrierLine, // text: the upper-cased modem line
        FinishHangUp,
        SendLoginPassword,
        SendPasswordChange,
        Redial,           // the countdown has run out: the next attempt
        RestorePorts,     // logged in again: the ports that were on are switched on
    };

    Kind kind = Kind::WriteRaw;
    std::string text;
    int port = noPort;
    int milliseconds = 0;
    bool flag = false;

    static DialogueAction of(Kind kind, std::string text = {})
    {
        DialogueAction action;
        action.kind = kind;
        action.text = std::move(text);
        return action;
    }
    static DialogueAction forPort(Kind kind, int port, std::string text = {})
    {
        DialogueAction action = of(kind, std::move(text));
        action.port = port;
        return action;
    }
    static DialogueAction wait(int milliseconds)
    {
        DialogueAction action = of(Kind::Wait);
        action.milliseconds = milliseconds;
        return action;
    }
    static DialogueAction showConnected(bool connected)
    {
        DialogueAction action = of(Kind::ShowConnected);
        action.flag = connected;
        return action;
    }

    bool isStep() const { return kind >= Kind::CancelDial; }
    bool operator==(const DialogueAction&) const = default;
};

using DialogueActions = std::vector<DialogueAction>;

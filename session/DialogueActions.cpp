// Carrying out the connection dialogue's actions: the line, the panes, the
// tool bar, the dial wait window, the waits and the modal dialogs.

#include <QPushButton>

#include "base/QtText.h"
#include "session/CChildFrame.h"
#include "session/ConnectionDialogs.h"
#include "session/ConnectionHost.h"
#include "session/ConnectionToolBar.h"

bool CChildFrame::perform(const DialogueActions& actions)
{
    const QPointer<CChildFrame> self(this);
    for (const DialogueAction& action : actions) {
        carryOut(action);
        // A window closed during a wait or a dialog, or a wait cut short as
        // the program ends, does nothing more: no further bytes, no hang-up
        // command, no follow-up step.
        if (!self || m_closing || m_output.isCancelled())
            return false;
    }
    return true;
}

void CChildFrame::carryOut(const DialogueAction& action)
{
    using Kind = DialogueAction::Kind;
    switch (action.kind) {
    case Kind::WriteRaw:
    case Kind::WriteFrame:
        if (monitoring())
            m_monitor->recordWritten(action.kind == Kind::WriteFrame, action.text, m_dialogue.requestKind());
        m_output.write(action.text);
        break;
    case Kind::DropOutput: m_output.drop(); break;
    case Kind::ShowInAllPanes: showInAllPanes(action.text); break;
    case Kind::ShowPortMessage: showPortMessage(action.port, action.text); break;
    case Kind::ShowPortData: showPortData(action.port, action.text); break;
    case Kind::SetTitle: setDocumentTitle(action.text); break;
    case Kind::ShowConnected: m_toolBar->showConnected(action.flag); m_toolBar->enableCommands(isConnected()); break;
    case Kind::ResetPanes: resetPaneSelections(); break;
    case Kind::ReleaseToggle: m_toolBar->releasePortToggles(action.port); break;
    case Kind::ShowDialWait:
        m_waitWindow = new DialWaitDialog(this);
        connect(m_waitWindow, &DialWaitDialog::cancelled, this, &CChildFrame::cancelDial, Qt::QueuedConnection);
        m_waitWindow->showCentred();
        break;
    case Kind::HideDialWait:
        if (m_waitWindow) {
            m_waitWindow->disconnect(this);
            m_waitWindow->hide();
            m_waitWindow->deleteLater();
            m_waitWindow = nullptr;
        }
        break;
    case Kind::ChoosePhoneEntry:
    case Kind::AskRetryLogin:
    case Kind::AskNewLogin:
    case Kind::AskPortSettings: ask(action); break;
    case Kind::Wait: m_output.waitAfterSent(action.milliseconds); break;
    default: perform(m_dialogue.resume(action, carrier())); break;
    }
}

void CChildFrame::ask(const DialogueAction& action)
{
    using Kind = DialogueAction::Kind;
    const QPointer<CChildFrame> self(this);
    ConnectionDialogs& dialogs = connectionDialogs();
    if (action.kind == Kind::ChoosePhoneEntry) {
        const DialSettings settings = m_host.dialSettings();
        const std::optional<PhoneEntry> entry = dialogs.choosePhoneEntry(this);
        if (self && entry && !m_closing)
            perform(m_dialogue.phoneEntryChosen(*entry, settings, carrier()));
    } else if (action.kind == Kind::AskPortSettings) {
        const std::optional<RemotePortAnswer> answer =
            dialogs.askRemotePortSettings(this, m_area->selection[m_activePane], m_dialogue.portStatusTexts());
        if (self && answer && !m_closing)
            perform(m_dialogue.portSettingsChosen(*answer, carrier()));
    } else {
        const std::optional<LoginAnswer> answer =
            dialogs.askLogin(this, fromCp949(action.text), m_dialogue.userId(), m_dialogue.password());
        if (!self || m_closing)
            return;
        if (action.kind == Kind::AskRetryLogin)
            perform(m_dialogue.retryAnswered(answer, carrier()));
        else if (answer)
            perform(m_dialogue.newLoginAnswered(*answer, carrier()));
    }
}

// Reading the KR-V's reply frames on the window thread.

#include <QPointer>
#include <QPushButton>

#include <mutex>

#include "session/CChildFrame.h"
#include "session/ConnectionLock.h"
#include "session/ConnectionToolBar.h"
#include "session/ReplyDecoder.h"

void CChildFrame::onFrameReceived(const std::string& frame)
{
    // The whole decoding, follow-up steps included, runs under the connection
    // lock, so reader threads pause at their next byte meanwhile.
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    const ReplyOutcome outcome = decodeReply(frame, m_requestKind);
    using Kind = ReplyOutcome::Kind;
    if (outcome.kind == Kind::Ignored)
        return;
    if (outcome.kind == Kind::PortData) {
        showPortData(outcome.portIndex, outcome.payload);
        return;
    }

    if (isRemotePort(outcome.portIndex)) {
        if (outcome.statusChange == ReplyOutcome::StatusChange::SetToPayload)
            m_portStatus[outcome.portIndex] = outcome.payload;
        else if (outcome.statusChange == ReplyOutcome::StatusChange::Clear)
            m_portStatus[outcome.portIndex].clear();
        if (outcome.releaseToggle) {
            const QSignalBlocker quiet(m_toolBar->portToggles[outcome.portIndex]);
            m_toolBar->portToggles[outcome.portIndex]->setChecked(false);
        }
    }
    if (outcome.showConnectedTitle)
        setDocumentTitle(m_connectedTitle);

    const QPointer<CChildFrame> self(this);
    if (outcome.messageToAllPanes)
        showInAllPanes(outcome.message);
    else
        showPortMessage(outcome.portIndex, outcome.message);
    if (!self || m_closing)
        return;

    switch (outcome.followUp) {
    case ReplyOutcome::FollowUp::SendLoginPassword:
        sendLoginPassword();
        break;
    case ReplyOutcome::FollowUp::RetryLogin:
        retryLogin();
        break;
    case ReplyOutcome::FollowUp::SendPasswordChange:
        sendPasswordChange();
        break;
    case ReplyOutcome::FollowUp::None:
        break;
    }
}

#include "session/ReplyDecoder.h"

#include <algorithm>

#include "session/ConnectionMessages.h"
#include "session/LinkFrame.h"

namespace msg = connectionMessages;

namespace {

// The reply words are compared with the whole payload, ignoring ASCII case.
bool isWord(std::string_view payload, std::string_view word)
{
    return std::equal(payload.begin(), payload.end(), word.begin(), word.end(), [](char a, char b) {
        const char upper = (a >= 'a' && a <= 'z') ? static_cast<char>(a - 'a' + 'A') : a;
        return upper == b;
    });
}

using Kind = ReplyOutcome::Kind;
using FollowUp = ReplyOutcome::FollowUp;
using StatusChange = ReplyOutcome::StatusChange;

// Fills message and effects of an accepted, refused or busy reply; returns
// false when the request kind has no use for the reply.
bool applyRequestKind(ReplyOutcome& out, RequestKind kind)
{
    const bool accepted = out.kind == Kind::Accepted;
    const bool port = isRemotePort(out.portIndex);
    const char sub = out.subCode;
    switch (kind) {
    case RequestKind::LoginId:
        if (accepted) {
            out.followUp = FollowUp::SendLoginPassword;
        } else {
            out.message = msg::loginIdMismatch();
            out.followUp = FollowUp::RetryLogin;
        }
        return true;
    case RequestKind::LoginPassword:
        if (accepted) {
            out.message = msg::krvConnected();
            out.showConnectedTitle = true;
        } else {
            out.message = msg::loginPasswordMismatch();
            out.followUp = FollowUp::RetryLogin;
        }
        return true;
    case RequestKind::ChangeId:
        if (accepted) {
            out.message = msg::idChanged();
            out.followUp = FollowUp::SendPasswordChange;
        } else {
            out.message = msg::idChangeFailed();
        }
        return true;
    case RequestKind::ChangePassword:
        out.message = accepted ? msg::passwordChanged() : msg::passwordChangeFailed();
        return true;
    case RequestKind::PortConnect:
        if (accepted) {
            out.message = msg::portConnected(sub, out.payload);
            if (port)
                out.statusChange = StatusChange::SetToPayload;
        } else if (out.kind == Kind::Busy) {
            out.message = msg::portBusy(sub);
            out.releaseToggle = port;
        } else {
            out.message = msg::portConnectFailed(sub);
        }
        return true;
    case RequestKind::PortRelease:
        if (accepted) {
            out.message = msg::portReleased(sub);
            if (port)
                out.statusChange = StatusChange::Clear;
        } else {
            out.message = msg::portReleaseFailed(sub);
        }
        return true;
    case RequestKind::PortConfigure:
        out.message = accepted ? msg::portConfigured(sub) : msg::portConfigureFailed(sub);
        return true;
    case RequestKind::PortData:
        break;
    }
    return false;
}

} // namespace

ReplyOutcome decodeReply(std::string_view frame, RequestKind kind)
{
    if (frame.size() < 4 || static_cast<unsigned char>(frame[0]) != frameStartByte)
        return {};

    ReplyOutcome out;
    const char frameClass = frame[1];
    out.subCode = frame[2];
    out.portIndex = isRemotePort(out.subCode - '0') ? out.subCode - '0' : noPort;
    out.payload = std::string(frame.substr(3, frame.size() - 4));

    if (frameClass == 'A' || frameClass == 'C') {
        if (frameClass == 'A' && out.subCode != 'R')
            return {};
        if (isWord(out.payload, "PASS")) {
            out.kind = Kind::Accepted;
        } else if (isWord(out.payload, "FAIL")) {
            out.kind = Kind::Refused;
        } else if (frameClass == 'C' && kind == RequestKind::PortConnect) {
            out.kind = isWord(out.payload, "BUSY") ? Kind::Busy : Kind::Accepted;
        } else if (frameClass == 'C' && kind == RequestKind::PortConfigure) {
            out.kind = Kind::Accepted;
        } else {
            return {};
        }
        if (!applyRequestKind(out, kind))
            return {};
        out.messageToAllPanes = out.portIndex == noPort;
        return out;
    }

    out.kind = Kind::PortData;
    return out;
}

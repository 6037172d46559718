#pragma once
// What a connection shows and asks through whoever fronts it: a connection
// window, or a program without a window that answers from its options and
// its script. The connection calls these on the loop's thread and goes on at
// once; a question's answer comes back later through the connection's answer
// calls with the question's id, or never when the question is dropped.

#include <array>
#include <cstdint>
#include <string>

#include "base/PortRecords.h"
#include "session/ReplyDecoder.h"
#include "session/RequestKind.h"

using QuestionId = std::uint64_t;

class ConnectionFrontEnd {
public:
    virtual ~ConnectionFrontEnd() = default;

    // What a window shows.
    virtual void setTitle(const std::string& /*title: code page 949*/) {}
    // The connection icon and the commands enabled while (not) connected.
    virtual void showConnected(bool /*connected*/) {}
    // What the panes show now (left, right): the local line after a
    // disconnect, or what they showed before a lost line came back.
    virtual void showPaneSources(const std::array<int, 2>& /*selections*/) {}
    // The port's toggle shown released, without a command; noPort: all four.
    virtual void releasePortToggles(int /*port*/) {}
    // The port's toggle shown pressed again, without a command (a reconnect).
    virtual void pressPortToggle(int /*port*/) {}
    virtual void showDialWait() {}
    virtual void hideDialWait() {}
    // A countdown toward the next dial attempt, told each second (code page
    // 949); an empty text when it has ended.
    virtual void showCountdown(const std::string& /*text*/) {}
    // "전송 대기 중" while the line holds back what was written.
    virtual void showOutputHeld(bool /*held*/) {}
    // A row was added to the link monitor's log.
    virtual void monitorRowAdded() {}

    // Questions. Answer with ConnectionEngine::answerPhoneEntry, answerLogin
    // and answerPortSettings.
    virtual void choosePhoneEntry(QuestionId id) = 0;
    // caption: "로그인 재시도" or "아이디 변경" (code page 949).
    virtual void askLogin(QuestionId id, const std::string& caption, const std::string& userId,
                          const std::string& password) = 0;
    virtual void askPortSettings(QuestionId id, int initialPort,
                                 const std::array<std::string, remotePortCount>& statusTexts) = 0;

    // What happened, for front ends that follow the dialogue.
    virtual void modemLineReceived(const std::string& /*line*/) {}
    virtual void replyReceived(const ReplyOutcome& /*outcome*/, RequestKind /*kind*/) {}
    virtual void lineLost() {}
    // A hang-up has written "ATH" and marked the connection disconnected.
    virtual void hangUpFinished() {}
    // The reader handed frames and lines over: see ConnectionReader::Handler.
    virtual void receivedTaken() {}
};

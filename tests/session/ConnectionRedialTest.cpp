// Dialling again by itself, in the plain dialogue: a busy or failed dial is
// dialled again while attempts remain, a lost line is dialled, logged in and
// set up again, and the operator stops either at any point. Off, nothing of
// it happens (the dialogue's own tests cover that behaviour).

#include <gtest/gtest.h>

#include <deque>

#include "base/TextCodec.h"
#include "session/ConnectionDialogue.h"

using A = DialogueAction;
using Kind = DialogueAction::Kind;

namespace {

std::string frame(char cls, char sub, const std::string& payload)
{
    return std::string("\xE2") + cls + sub + payload + "\xE3";
}

bool has(const DialogueActions& actions, Kind kind, const std::string& text = {})
{
    for (const A& action : actions) {
        if (action.kind == kind && (text.empty() || action.text == text))
            return true;
    }
    return false;
}

bool told(const DialogueActions& actions, const char* utf8)
{
    return has(actions, Kind::ShowInAllPanes, utf8ToCp949(utf8));
}

// Plays the connection up to a countdown: steps are handed back at once, and
// the list stops at a Countdown, whose rest waits in `pending` until
// countdownEnds() hands it on, as the connection's timer would.
class Connection {
public:
    ConnectionDialogue dialogue;
    bool carrier = false;
    DialogueActions pending;

    DialogueActions run(DialogueActions actions)
    {
        DialogueActions effects;
        std::deque<A> todo(actions.begin(), actions.end());
        while (!todo.empty()) {
            const A action = todo.front();
            todo.pop_front();
            if (action.kind == Kind::Countdown) {
                effects.push_back(action);
                pending.assign(todo.begin(), todo.end());
                return effects;
            }
            if (!action.isStep()) {
                effects.push_back(action);
                continue;
            }
            const DialogueActions next = dialogue.resume(action, carrier);
            todo.insert(todo.begin(), next.begin(), next.end());
        }
        return effects;
    }
    DialogueActions countdownEnds() { return run(std::exchange(pending, {})); }
    DialogueActions line(const std::string& text) { return run(dialogue.modemLine(text, carrier)); }
    DialogueActions reply(const std::string& payload, char cls = 'A', char sub = 'R')
    {
        return run(dialogue.frameReceived(frame(cls, sub, payload)));
    }
    void dial(int redials, bool reconnect = false)
    {
        run(dialogue.takePort("COM1", "9600-N-8-1"));
        run(dialogue.portOpened(false, "ATZ"));
        DialSettings settings;
        settings.redialCount = redials;
        settings.redialIntervalSeconds = 30;
        settings.reconnect = reconnect;
        run(dialogue.dial());
        run(dialogue.phoneEntryChosen(PhoneEntry{0, "Seoul", "555", false, "kim", "pw"}, settings, carrier));
    }
    void logIn()
    {
        carrier = true;
        line("CONNECT 9600");
        reply("PASS");
        reply("PASS");
    }
};

}  // namespace

TEST(Redial, EachFailedResultIsDialledAgainUntilTheAttemptsAreSpent)
{
    Connection c;
    c.dial(2);
    const char* results[] = {"BUSY", "NO ANSWER", "NO DIALTONE"};
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const DialogueActions failed = c.line(results[attempt - 1]);
        // The written message and cancel come first, then the countdown.
        EXPECT_TRUE(told(failed, attempt == 1 ? "통화중입니다." : "연결에 실패하였습니다."));
        EXPECT_TRUE(has(failed, Kind::WriteRaw, "\r"));
        const std::string next = "다시 거는 중 (" + std::to_string(attempt + 1) + "/3): 30초 후";
        EXPECT_TRUE(told(failed, next.c_str())) << next;
        EXPECT_FALSE(has(failed, Kind::HideDialWait)) << "the wait window stays for the countdown";
        ASSERT_EQ(failed.back().kind, Kind::Countdown);
        EXPECT_EQ(failed.back().milliseconds, 30000);
        EXPECT_TRUE(c.dialogue.isCountingDown() && !c.dialogue.isDialling());
        EXPECT_EQ(utf8ToCp949("다시 거는 중 (" + std::to_string(attempt + 1) + "/3): 7초 후"),
                  c.dialogue.countdownText(7));
        // The same bytes as the first time.
        EXPECT_EQ(c.countdownEnds(), (DialogueActions{A::of(Kind::WriteRaw, "ATDT 555\r")}));
        EXPECT_TRUE(c.dialogue.isDialling());
    }
    const DialogueActions last = c.line(results[2]);
    EXPECT_TRUE(told(last, "연결에 실패하였습니다."));
    EXPECT_TRUE(has(last, Kind::HideDialWait));
    EXPECT_FALSE(has(last, Kind::Countdown));
    EXPECT_FALSE(c.dialogue.isCountingDown() || c.dialogue.isDialling());
}

TEST(Redial, TheOperatorStopsItAtEveryPoint)
{
    // 취소 during the countdown: the wait window goes, nothing is sent or dialled.
    Connection countdown;
    countdown.dial(3);
    countdown.line("BUSY");
    EXPECT_EQ(countdown.run(countdown.dialogue.cancelDial(false)), (DialogueActions{A::of(Kind::HideDialWait)}));
    EXPECT_TRUE(countdown.countdownEnds().empty());

    // 전화끊기 during the countdown stops it the same way.
    Connection hangUp;
    hangUp.dial(3);
    hangUp.line("BUSY");
    EXPECT_EQ(hangUp.run(hangUp.dialogue.hangUp()), (DialogueActions{A::of(Kind::HideDialWait)}));
    EXPECT_TRUE(hangUp.countdownEnds().empty());

    // 취소 while an attempt dials: the written cancel, and no attempt after it.
    Connection dialling;
    dialling.dial(3);
    const DialogueActions cancelled = dialling.run(dialling.dialogue.cancelDial(false));
    EXPECT_TRUE(has(cancelled, Kind::WriteRaw, "\r") && has(cancelled, Kind::Wait));
    EXPECT_FALSE(dialling.dialogue.isDialling());
    EXPECT_FALSE(has(dialling.line("NO CARRIER"), Kind::Countdown));
    EXPECT_TRUE(dialling.run(dialling.dialogue.dial()).size() == 1) << "a new dial can start";
}

TEST(Reconnect, ALostLineIsDialledLoggedInAndItsPortsSwitchedOnAgain)
{
    Connection c;
    c.dial(5, true);
    c.logIn();
    c.run(c.dialogue.togglePort(3, true, true));
    c.run(c.dialogue.togglePort(1, true, true));
    c.run(c.dialogue.togglePort(2, true, true));
    c.reply("BUSY", 'C', '2');  // port 2 is held elsewhere: not on
    c.carrier = false;
    const DialogueActions lost = c.line("NO CARRIER");
    EXPECT_TRUE(told(lost, "연결이 끊어졌습니다."));
    EXPECT_TRUE(told(lost, "다시 연결하는 중 (1/5)..."));
    EXPECT_TRUE(has(lost, Kind::ShowDialWait));
    EXPECT_EQ(c.countdownEnds(), (DialogueActions{A::of(Kind::WriteRaw, "ATDT 555\r")}));

    // A busy attempt counts, and the next one follows.
    EXPECT_TRUE(told(c.line("BUSY"), "다시 연결하는 중 (2/5)..."));
    c.countdownEnds();
    c.carrier = true;
    c.line("CONNECT 9600");
    c.reply("PASS");
    const DialogueActions loggedIn = c.reply("PASS");
    // The ports that were on, in port order, each with its own frame.
    DialogueActions restored;
    for (const A& action : loggedIn) {
        if (action.kind == Kind::PressToggle || action.kind == Kind::WriteFrame)
            restored.push_back(action);
    }
    EXPECT_EQ(restored, (DialogueActions{A::forPort(Kind::PressToggle, 1), A::of(Kind::WriteFrame, frame('C', '1', "CONN")),
                                         A::forPort(Kind::PressToggle, 3), A::of(Kind::WriteFrame, frame('C', '3', "CONN"))}));
    EXPECT_FALSE(c.dialogue.isReconnecting());
}

TEST(Reconnect, ARefusedLoginEndsItWithoutADialogAndAHangUpIsNotReconnected)
{
    Connection refused;
    refused.dial(5, true);
    refused.logIn();
    refused.carrier = false;
    refused.line("NO CARRIER");
    refused.countdownEnds();
    refused.carrier = true;
    refused.line("CONNECT 9600");
    const DialogueActions answer = refused.reply("FAIL");
    EXPECT_TRUE(told(answer, "로그인이 거부되어 다시 연결하지 않습니다."));
    EXPECT_FALSE(has(answer, Kind::AskRetryLogin));
    EXPECT_TRUE(has(answer, Kind::WriteRaw, "+++"));

    // The operator's own hang-up: a NO CARRIER in its guard time is not a lost line.
    Connection hungUp;
    hungUp.dial(5, true);
    hungUp.logIn();
    hungUp.dialogue.hangUp();
    hungUp.carrier = false;
    EXPECT_FALSE(has(hungUp.line("NO CARRIER"), Kind::Countdown));
}

TEST(Reconnect, AVanishedPortIsOpenedAgainFirst)
{
    Connection c;
    c.dial(2, true);
    c.logIn();
    c.run(c.dialogue.lineLost());
    EXPECT_EQ(c.countdownEnds(), (DialogueActions{A::of(Kind::ReopenPort)}));
    // Not back yet: told, and the next attempt counted down.
    const DialogueActions notBack = c.run(c.dialogue.portReopened(false, "ATZ", false));
    EXPECT_TRUE(told(notBack, "포트를 다시 열 수 없습니다."));
    EXPECT_TRUE(told(notBack, "다시 연결하는 중 (2/2)..."));
    c.countdownEnds();
    EXPECT_EQ(c.run(c.dialogue.portReopened(true, "ATZ", false)),
              (DialogueActions{A::of(Kind::WriteRaw, "ATZ\r"), A::wait(1000), A::of(Kind::WriteRaw, "ATDT 555\r")}));
}

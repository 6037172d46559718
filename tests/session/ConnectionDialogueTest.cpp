// The connection dialogue over its whole state table: what each input sends,
// shows and asks, in order, with the waits between.

#include <gtest/gtest.h>

#include <ostream>
#include <tuple>

#include "base/TextCodec.h"
#include "session/ConnectionDialogue.h"

using A = DialogueAction;
using Kind = DialogueAction::Kind;

// gtest prints a differing action with this.
void PrintTo(const DialogueAction& action, std::ostream* out)
{
    *out << "{kind " << static_cast<int>(action.kind) << ", \"" << cp949ToUtf8(action.text) << "\", port "
         << action.port << ", " << action.milliseconds << " ms, flag " << action.flag << "}";
}

namespace {

std::string cp949(const char* utf8)
{
    return utf8ToCp949(utf8);
}

std::string frame(char cls, char sub, const std::string& payload)
{
    return std::string("\xE2") + cls + sub + payload + "\xE3";
}

A raw(const std::string& bytes) { return A::of(Kind::WriteRaw, bytes); }
A framed(char cls, char sub, const std::string& payload) { return A::of(Kind::WriteFrame, frame(cls, sub, payload)); }
A inAllPanes(const char* utf8) { return A::of(Kind::ShowInAllPanes, cp949(utf8)); }
A forPort(int port, const char* utf8) { return A::forPort(Kind::ShowPortMessage, port, cp949(utf8)); }
A title(const char* utf8) { return A::of(Kind::SetTitle, cp949(utf8)); }
A only(Kind kind) { return A::of(kind); }

const DialogueActions cancelSequence{raw("\r"), A::wait(200), raw("\r"), only(Kind::HideDialWait)};
const DialogueActions disconnected{A::showConnected(false), only(Kind::ResetPanes), only(Kind::ReleaseToggle),
                                   title("COM1 - [9600-N-8-1]")};

DialogueActions operator+(DialogueActions a, const DialogueActions& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

DialogueActions hangUpSequence()
{
    // What still waits for the line is dropped first; the wait starts once "+++" has left.
    return DialogueActions{only(Kind::DropOutput), raw("+++"), A::wait(3000), raw("ATH\r")} + disconnected;
}

// Plays the window: carries out a list, handing each step back to the
// dialogue when it reaches it, and returns the effects in order. The
// dialogs are left to the test, which answers them with the dialogue's inputs.
class Window {
public:
    ConnectionDialogue dialogue;
    bool carrier = false;

    DialogueActions run(const DialogueActions& actions)
    {
        DialogueActions effects;
        for (const A& action : actions) {
            if (action.isStep())
                effects = effects + run(dialogue.resume(action, carrier));
            else
                effects.push_back(action);
        }
        return effects;
    }

    DialogueActions open(bool carrierAtOpen = false)
    {
        carrier = carrierAtOpen;
        return run(dialogue.takePort("COM1", "9600-N-8-1")) + run(dialogue.portOpened(carrier, "ATZ"));
    }
    DialogueActions line(const std::string& text) { return run(dialogue.modemLine(text, carrier)); }
    DialogueActions reply(char cls, char sub, const std::string& payload)
    {
        return run(dialogue.frameReceived(frame(cls, sub, payload)));
    }

    void dialSeoul(bool outsideLine = false)
    {
        open();
        EXPECT_EQ(run(dialogue.dial()), DialogueActions{only(Kind::ChoosePhoneEntry)});
        run(dialogue.phoneEntryChosen(PhoneEntry{0, "Seoul", "555", outsideLine, "kim", "secret"}, DialSettings{},
                                      carrier));
    }
    void connectSeoul()
    {
        dialSeoul();
        carrier = true;
        line("CONNECT 9600");
    }
    void logIn()
    {
        connectSeoul();
        reply('A', 'R', "PASS");
        reply('A', 'R', "PASS");
    }
};

TEST(ConnectionDialogueOpen, InitialisesTheModemUnlessCarrierIsUp)
{
    Window w;
    EXPECT_EQ(w.open(false), (DialogueActions{title("COM1 - [9600-N-8-1]"), raw("ATZ\r"), A::showConnected(false),
                                             only(Kind::ResetPanes)}));
    EXPECT_FALSE(w.dialogue.isConnected());
    EXPECT_EQ(w.dialogue.userId(), "admin");
    EXPECT_EQ(w.dialogue.password(), "pilvo");

    // With carrier the link is taken as up: no init command, no login.
    Window up;
    EXPECT_EQ(up.open(true), (DialogueActions{title("COM1 - [9600-N-8-1]"), A::showConnected(true),
                                             only(Kind::ResetPanes)}));
    EXPECT_TRUE(up.dialogue.isConnected());
    EXPECT_TRUE(up.run(up.dialogue.dial()).empty()) << "dial is for an unconnected window";
}

TEST(ConnectionDialogueOpen, LineSettingsFromThePortTable)
{
    const LineSettings line = lineSettingsFor(PortSettings{"COM3", 96, 7, 2, 1});
    EXPECT_EQ(std::tie(line.portName, line.baudRate, line.dataBits, line.stopBitsCode, line.parityCode),
              std::make_tuple(std::string("COM3"), 9600u, 7, 2, 1));
    EXPECT_EQ(lineSettingsFor(PortSettings{"COM3", 40000}).baudRate, 4000000u);
    for (int unusable : {0, -96, 40001})
        EXPECT_EQ(lineSettingsFor(PortSettings{"COM3", unusable}).baudRate, 0u) << unusable;
}

TEST(ConnectionDialogueSend, TextIsRawWithoutCarrierAndFramedWithIt)
{
    Window w;
    w.open();
    EXPECT_EQ(w.run(w.dialogue.sendText("AT", noPort, true, false)), DialogueActions{raw("AT\r")});
    EXPECT_EQ(w.run(w.dialogue.sendText("\r", noPort, false, false)), DialogueActions{raw("\r")});
    EXPECT_TRUE(w.run(w.dialogue.sendText("", noPort, true, false)).empty());
    // With carrier: framed with the current request kind, port digit '/', no CR.
    w.run(w.dialogue.togglePort(2, true, true));
    EXPECT_EQ(w.run(w.dialogue.sendText("AT", noPort, true, true)), DialogueActions{framed('C', '/', "AT")});
    // An empty payload is never sent and hangs nothing up.
    EXPECT_TRUE(w.run(w.dialogue.sendFrame("", 1, false)).empty());
}

TEST(ConnectionDialogueSend, AFrameWithoutCarrierHangsUpUnlessDialling)
{
    Window w;
    w.logIn();
    EXPECT_EQ(w.run(w.dialogue.togglePort(0, true, false)), hangUpSequence());
    EXPECT_FALSE(w.dialogue.isConnected());
    EXPECT_EQ(w.dialogue.requestKind(), RequestKind::PortConnect) << "a hang-up leaves the request kind";

    w.run(w.dialogue.beginManualDial("1"));
    EXPECT_TRUE(w.run(w.dialogue.sendFrame("x", noPort, false)).empty());
    EXPECT_TRUE(w.run(w.dialogue.sendText("AT", noPort, true, false)).empty()) << "nothing is sent while dialling";
    EXPECT_TRUE(w.run(w.dialogue.hangUp()).empty());
}

TEST(ConnectionDialogueDial, PhoneBookDialWithAndWithoutTheOutsideLine)
{
    for (const bool outsideLine : {true, false}) {
        Window w;
        w.open();
        w.run(w.dialogue.dial());
        const DialogueActions effects = w.run(w.dialogue.phoneEntryChosen(
            PhoneEntry{0, "Seoul", "555", outsideLine, "kim", "secret"}, DialSettings{"ATDT", "9", "ATZ"}, false));
        EXPECT_EQ(effects, (DialogueActions{raw(outsideLine ? "ATDT 9,555\r" : "ATDT 555\r"), only(Kind::HideDialWait),
                                            only(Kind::ShowDialWait)}));
        EXPECT_TRUE(w.dialogue.isDialling());
        EXPECT_EQ(w.dialogue.userId(), "kim");
        EXPECT_EQ(w.dialogue.password(), "secret");
        EXPECT_EQ(w.dialogue.connectedTitle(), cp949("연결됨:Seoul(555)"));
        EXPECT_TRUE(w.run(w.dialogue.dial()).empty()) << "a second dial waits for the first";
    }
}

TEST(ConnectionDialogueDial, ModemResultsWhileDialling)
{
    struct Case {
        const char* line;
        bool carrier;
        DialogueActions effects;
        bool connected;
        bool dialling;
    };
    const Case cases[] = {
        {"connect 9600", true, {A::showConnected(true), framed('A', 'I', "kim"), only(Kind::HideDialWait)}, true, false},
        // No carrier signal: connected, but neither a login frame nor a hang-up.
        {"CONNECT", false, {A::showConnected(true), only(Kind::HideDialWait)}, true, false},
        {"BUSY", false, DialogueActions{inAllPanes("통화중입니다.")} + cancelSequence, false, false},
        {"NO DIALTONE", false, DialogueActions{inAllPanes("연결에 실패하였습니다.")} + cancelSequence, false, false},
        {"no answer", false, DialogueActions{inAllPanes("연결에 실패하였습니다.")} + cancelSequence, false, false},
        {"NO CARRIER", false, DialogueActions{inAllPanes("연결에 실패하였습니다.")} + cancelSequence, false, false},
        {"ATDT 555", false, {}, false, true},
        {"", false, {}, false, true},
    };
    for (const Case& c : cases) {
        Window w;
        w.dialSeoul();
        w.carrier = c.carrier;
        EXPECT_EQ(w.line(c.line), c.effects) << c.line;
        EXPECT_EQ(w.dialogue.isConnected(), c.connected) << c.line;
        EXPECT_EQ(w.dialogue.isDialling(), c.dialling) << c.line;
    }
}

TEST(ConnectionDialogueDial, CancelWritesCrPauseCr)
{
    Window w;
    w.dialSeoul();
    // A failed dial stays in progress while its message is shown, until its cancel comes due.
    EXPECT_EQ(w.dialogue.modemLine("BUSY", false)[1].kind, Kind::CancelDial);
    EXPECT_TRUE(w.dialogue.isDialling());
    EXPECT_EQ(w.run(w.dialogue.cancelDial(false)), (DialogueActions{raw("\r"), A::wait(200), raw("\r")}));
    EXPECT_FALSE(w.dialogue.isDialling());
}

TEST(ConnectionDialogueDial, NoCarrierLine)
{
    // Connected: the unconnected state, and the lost connection exactly once.
    Window connected;
    connected.logIn();
    EXPECT_EQ(connected.line("NO CARRIER"), disconnected + DialogueActions{inAllPanes("연결이 끊어졌습니다.")});
    EXPECT_TRUE(connected.line("NO CARRIER").empty()) << "already unconnected";

    // A manual dial while connected: the failed dial, then the lost connection.
    Window both;
    both.logIn();
    both.carrier = false;
    both.run(both.dialogue.sendLocalText("ATD 777", false));
    EXPECT_EQ(both.line("NO CARRIER"), DialogueActions{inAllPanes("연결에 실패하였습니다.")} + cancelSequence
                                           + disconnected + DialogueActions{inAllPanes("연결이 끊어졌습니다.")});
}

TEST(ConnectionDialogueDial, LostLineEndsEverything)
{
    Window w;
    w.logIn();
    w.run(w.dialogue.beginManualDial("1"));
    const DialogueActions effects = w.run(w.dialogue.lineLost());
    EXPECT_EQ(effects, DialogueActions{only(Kind::HideDialWait)} + disconnected
                           + DialogueActions{inAllPanes("연결이 끊어졌습니다.")});
    EXPECT_FALSE(w.dialogue.isDialling() || w.dialogue.isConnected());
}

TEST(ConnectionDialogueDial, AGoneLineIsToldInsteadOfDiallingOrSending)
{
    const DialogueActions gone{inAllPanes("포트 장치가 없어졌습니다. 포트 버튼을 놓았다가 다시 눌러 여십시오.")};
    Window w;
    w.open();
    w.run(w.dialogue.dial());  // the phone book is open when the line goes
    w.run(w.dialogue.lineLost());
    EXPECT_TRUE(w.dialogue.isLineGone());
    EXPECT_EQ(w.run(w.dialogue.phoneEntryChosen(PhoneEntry{0, "Seoul", "555", false, "kim", "pw"}, DialSettings{},
                                                false)),
              gone);
    EXPECT_EQ(w.run(w.dialogue.dial()), gone);
    EXPECT_EQ(w.run(w.dialogue.sendLocalText("ATDT 555", false)), gone) << "no manual dial either";
    EXPECT_EQ(w.run(w.dialogue.sendText("AT", noPort, true, false)), gone);
    EXPECT_EQ(w.run(w.dialogue.sendFrame("x", 1, false)), gone) << "told, not hung up";
    EXPECT_FALSE(w.dialogue.isDialling());
    EXPECT_EQ(w.run(w.dialogue.hangUp()), disconnected) << "nothing to write, nothing to wait for";
}

TEST(ConnectionDialogueLogin, IdThenPasswordAndRetries)
{
    Window w;
    w.connectSeoul();
    EXPECT_EQ(w.dialogue.requestKind(), RequestKind::LoginId);
    EXPECT_EQ(w.reply('A', 'R', "pass"), DialogueActions{framed('A', 'P', "secret")});
    EXPECT_EQ(w.reply('A', 'R', "PASS"), (DialogueActions{title("연결됨:Seoul(555)"),
                                                         inAllPanes("'KR-V' 연결되었습니다.")}));

    // Refusals ask again; a cancelled retry hangs up.
    w.connectSeoul();
    const std::string caption = cp949("로그인 재시도");
    EXPECT_EQ(w.reply('A', 'R', "FaIl"),
              (DialogueActions{inAllPanes("'KR-V' 로그인 아이디가 일치하지 않습니다."),
                               A::of(Kind::AskRetryLogin, caption)}));
    EXPECT_EQ(w.run(w.dialogue.retryAnswered(LoginAnswer{"park", "new"}, true)),
              DialogueActions{framed('A', 'I', "park")});
    EXPECT_EQ(w.reply('A', 'R', "PASS"), DialogueActions{framed('A', 'P', "new")});
    EXPECT_EQ(w.reply('A', 'R', "FAIL"),
              (DialogueActions{inAllPanes("'KR-V' 로그인 비밀번호가 일치하지 않습니다."),
                               A::of(Kind::AskRetryLogin, caption)}));
    EXPECT_EQ(w.dialogue.userId(), "kim") << "a retry keeps the window's own credentials";
    EXPECT_EQ(w.run(w.dialogue.retryAnswered(std::nullopt, true)), hangUpSequence());
}

TEST(ConnectionDialogueLogin, ManualDialLogsInWithTheDefaultCredentials)
{
    Window w;
    w.open();
    EXPECT_EQ(w.run(w.dialogue.sendLocalText("atdt 123 ", false)),
              (DialogueActions{raw("atdt 123\r"), only(Kind::HideDialWait), only(Kind::ShowDialWait)}));
    EXPECT_EQ(w.dialogue.connectedTitle(), cp949("연결됨:수동(123)"));
    w.carrier = true;
    EXPECT_EQ(w.line("CONNECT"), (DialogueActions{A::showConnected(true), framed('A', 'I', "admin"),
                                                 only(Kind::HideDialWait)}));
    EXPECT_EQ(w.reply('A', 'R', "PASS"), DialogueActions{framed('A', 'P', "pilvo")});

    // A dial command without a digit dials an empty number.
    w.run(w.dialogue.sendLocalText("ATD", true));
    EXPECT_EQ(w.dialogue.connectedTitle(), cp949("연결됨:수동()"));
}

TEST(ConnectionDialogueAccount, IdAndPasswordChangeIsAPair)
{
    Window w;
    w.logIn();
    EXPECT_EQ(w.run(w.dialogue.changeIdAndPassword()), DialogueActions{A::of(Kind::AskNewLogin, cp949("아이디 변경"))});
    EXPECT_EQ(w.run(w.dialogue.newLoginAnswered(LoginAnswer{"kim2", "secret2"}, true)),
              DialogueActions{framed('A', 'D', "kim kim2")});
    EXPECT_EQ(w.reply('A', 'R', "PASS"),
              (DialogueActions{inAllPanes("아이디가 변경되었습니다."), framed('A', 'W', "secret secret2")}));
    EXPECT_EQ(w.reply('A', 'R', "PASS"), DialogueActions{inAllPanes("비밀번호가 변경되었습니다.")});
    EXPECT_EQ(w.reply('A', 'R', "FAIL"), DialogueActions{inAllPanes("비밀번호 변경에 실패하였습니다.")});

    w.run(w.dialogue.newLoginAnswered(LoginAnswer{"x", "y"}, true));
    EXPECT_EQ(w.reply('A', 'R', "FAIL"), DialogueActions{inAllPanes("아이디 변경에 실패하였습니다.")})
        << "no password step after a refused ID step";
    EXPECT_EQ(w.dialogue.userId(), "kim");

    w.run(w.dialogue.beginManualDial("1"));
    EXPECT_TRUE(w.run(w.dialogue.changeIdAndPassword()).empty());
    EXPECT_TRUE(w.run(w.dialogue.configureRemotePort()).empty());
}

TEST(ConnectionDialoguePorts, CommandsAndTheStatusTexts)
{
    // The reply texts themselves are the decoder's; here what the window does with them.
    Window w;
    w.logIn();
    EXPECT_EQ(w.run(w.dialogue.togglePort(1, true, true)), DialogueActions{framed('C', '1', "CONN")});
    EXPECT_EQ(w.reply('C', '1', "status 1"),
              DialogueActions{A::forPort(Kind::ShowPortMessage, 1, cp949("포트 1에 연결되었습니다.\r\n") + "status 1")});
    EXPECT_EQ(w.run(w.dialogue.configureRemotePort()), DialogueActions{only(Kind::AskPortSettings)});
    EXPECT_EQ(w.run(w.dialogue.portSettingsChosen(RemotePortAnswer{1, "19200 7 odd 2 hardware"}, true)),
              DialogueActions{framed('C', '1', "19200 7 odd 2 hardware")});
    EXPECT_EQ(w.reply('C', '1', "ok"), DialogueActions{forPort(1, "포트 1 설정이 변경되었습니다.")});
    EXPECT_EQ(w.dialogue.portStatusTexts()[1], "status 1") << "configuring keeps the status text";
    EXPECT_EQ(w.run(w.dialogue.togglePort(1, false, true)), DialogueActions{framed('C', '1', "DISC")});
    EXPECT_EQ(w.reply('C', '1', "PASS").size(), 1u);
    EXPECT_EQ(w.dialogue.portStatusTexts()[1], "");
    EXPECT_TRUE(w.run(w.dialogue.togglePort(4, true, true)).empty());

    // "BUSY" to a connect: the toggle is shown released and nothing is sent.
    w.run(w.dialogue.togglePort(2, true, true));
    EXPECT_EQ(w.reply('C', '2', "busy"),
              (DialogueActions{A::forPort(Kind::ReleaseToggle, 2),
                               forPort(2, "포트 2 연결에 실패하였습니다. 다른장치에서 사용중입니다.")}));
    // The status texts go with the next title.
    w.run(w.dialogue.togglePort(3, true, true));
    w.reply('C', '3', "status 3");
    EXPECT_EQ(w.dialogue.portStatusTexts()[3], "status 3");
    w.run(w.dialogue.markDisconnected());
    EXPECT_EQ(w.dialogue.portStatusTexts()[3], "");

    // Data frames go to the panes showing their port, -1 for a sub code that is none.
    EXPECT_EQ(w.reply('D', '2', "data"), DialogueActions{A::forPort(Kind::ShowPortData, 2, "data")});
    EXPECT_EQ(w.reply('X', '7', "x"), DialogueActions{A::forPort(Kind::ShowPortData, noPort, "x")});
    EXPECT_TRUE(w.reply('D', '1', "").empty());
}

TEST(ConnectionDialoguePorts, TypedTextAndInterrupt)
{
    Window w;
    w.logIn();
    EXPECT_EQ(w.run(w.dialogue.sendPortText(2, "ls  ", true)), DialogueActions{framed('D', '2', "ls\r")});
    EXPECT_EQ(w.dialogue.requestKind(), RequestKind::PortData);
    EXPECT_EQ(w.run(w.dialogue.sendPortText(2, "", true)), DialogueActions{framed('D', '2', "\r")});
    EXPECT_EQ(w.run(w.dialogue.sendInterrupt(0, true)), DialogueActions{framed('D', '0', "\x03\r")});
    EXPECT_TRUE(w.run(w.dialogue.sendInterrupt(noPort, true)).empty()) << "a local pane sends no CTRL+C";
    // Local text while connected is framed with the current request kind.
    EXPECT_EQ(w.run(w.dialogue.sendLocalText("hello ", true)), DialogueActions{framed('D', '/', "hello")});
    EXPECT_TRUE(w.run(w.dialogue.sendLocalText("", true)).empty());
    EXPECT_TRUE(w.run(w.dialogue.sendLocalText("   ", true)).empty());
}

}  // namespace

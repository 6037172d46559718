// The connection engine over a scripted modem and a clock the test moves: its
// pauses are timers measured from when the bytes before them left, its
// questions are answered later while everything else goes on, the connection
// lock is free while it waits, and an abandoned connection does nothing more.

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "base/TextCodec.h"
#include "display/TextSink.h"
#include "session/ConnectionEngine.h"
#include "session/ConnectionLock.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/support/ManualLoop.h"

using namespace std::chrono_literals;

namespace {

class Settings : public ConnectionSettings {
public:
    std::optional<PortSettings> findPortSettings(const std::string& name) const override
    {
        return PortSettings{name, 576, 8, 1, 0};  // a held write may wait 2 s before it is dropped
    }
    std::string portSettingsText(const std::string&) const override { return "9600-N-8-1"; }
    DialSettings dialSettings() const override { return {}; }
};

// Remembers the questions; the test answers them when it likes.
class FrontEnd : public ConnectionFrontEnd {
public:
    std::vector<QuestionId> phoneQuestions;
    std::vector<QuestionId> loginQuestions;
    bool dialWaitShown = false;

    void choosePhoneEntry(QuestionId id) override { phoneQuestions.push_back(id); }
    void askLogin(QuestionId id, const std::string&, const std::string&, const std::string&) override
    {
        loginQuestions.push_back(id);
    }
    void askPortSettings(QuestionId, int, const std::array<std::string, remotePortCount>&) override {}
    void showDialWait() override { dialWaitShown = true; }
    void hideDialWait() override { dialWaitShown = false; }
};

// Written under the connection lock by the reader thread and the engine.
class Pane : public TextSink {
public:
    void putText(std::string_view text) override { m_shown += text; }
    void putLine(std::string_view text) override { (m_shown += text) += "\r\n"; }
    bool has(const std::string& utf8) const
    {
        std::lock_guard<std::recursive_mutex> lock(connectionLock());
        return m_shown.find(utf8ToCp949(utf8)) != std::string::npos;
    }

private:
    std::string m_shown;
};

std::string frame(char cls, char sub, const std::string& payload)
{
    return std::string("\xE2") + cls + sub + payload + "\xE3";
}

class ConnectionEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_modem = m_fakes.device("COM1");
        for (PaneSide side : paneSides)
            m_engine.router().setPane(side, &m_panes[indexOf(side)]);
        ASSERT_EQ(m_engine.openConnection("COM1"), ConnectionEngine::OpenResult::Opened);
        m_loop.advance(ConnectionEngine::readerStartDelay);
        ASSERT_TRUE(m_engine.isReaderRunning());
        ASSERT_TRUE(m_modem->waitForWritten("ATZ\r", 2s));
        m_modem->clearWritten();
    }

    // Runs what the reader posts until the condition holds (the reader is a
    // real thread; the clock stands still meanwhile).
    bool until(const std::function<bool()>& condition)
    {
        const auto end = std::chrono::steady_clock::now() + 3s;
        while (std::chrono::steady_clock::now() < end) {
            m_loop.runPosted();
            if (condition())
                return true;
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }
    void loggedIn()
    {
        m_engine.dial();
        ASSERT_EQ(m_frontEnd.phoneQuestions.size(), 1u);
        m_engine.answerPhoneEntry(m_frontEnd.phoneQuestions.back(), PhoneEntry{0, "Seoul", "555", false, "kim", "s3cret"});
        m_modem->setCarrier(true);
        m_modem->feed("\r\nCONNECT 9600\r\n");
        ASSERT_TRUE(until([&] { return m_modem->written().find(frame('A', 'I', "kim")) != std::string::npos; }));
        m_modem->feed(frame('A', 'R', "PASS"));
        ASSERT_TRUE(until([&] { return m_modem->written().find(frame('A', 'P', "s3cret")) != std::string::npos; }));
        m_modem->feed(frame('A', 'R', "PASS"));
        ASSERT_TRUE(until([&] { return m_panes[0].has("'KR-V' 연결되었습니다."); }));
        m_loop.advance(ConnectionEngine::paneMessagePause);
        m_modem->clearWritten();
    }
    bool lockIsFree()
    {
        std::thread other([this] {
            std::unique_lock<std::recursive_mutex> lock(connectionLock(), std::try_to_lock);
            m_lockTaken = lock.owns_lock();
        });
        other.join();
        return m_lockTaken;
    }

    FakeDeviceInstaller m_fakes;
    std::shared_ptr<FakeSerialDevice> m_modem;
    ManualLoop m_loop;
    Settings m_settings;
    FrontEnd m_frontEnd;
    std::array<Pane, 2> m_panes;
    ConnectionEngine m_engine{m_loop, m_settings, m_frontEnd};
    bool m_lockTaken = false;
};

}  // namespace

TEST_F(ConnectionEngineTest, TheHangUpGuardTimeIsATimerFromWhenTheEscapeLeft)
{
    ASSERT_NO_FATAL_FAILURE(loggedIn());
    m_modem->holdOutput(true);
    m_engine.hangUp();
    m_loop.advance(500ms);  // the line takes nothing: the guard time has not begun
    EXPECT_EQ(m_modem->written(), "");
    m_modem->holdOutput(false);
    ASSERT_TRUE(until([&] {
        m_loop.advance(10ms);  // the output's tick hands the line what waits
        return m_modem->written() == "+++";
    }));
    EXPECT_TRUE(lockIsFree());
    // Meanwhile the unit's data still reaches the panes.
    m_engine.selectPaneSource(PaneSide::Right, 1);
    m_modem->feed(frame('D', '1', "during"));
    EXPECT_TRUE(until([&] { return m_panes[1].has("during"); }));
    m_loop.advance(2980ms);
    EXPECT_EQ(m_modem->written(), "+++");
    EXPECT_TRUE(m_engine.isConnected());
    m_loop.advance(30ms);
    EXPECT_EQ(m_modem->written(), "+++ATH\r");
    EXPECT_FALSE(m_engine.isConnected());
    EXPECT_FALSE(m_engine.isBusy());
}

TEST_F(ConnectionEngineTest, QuestionsAreAnsweredLaterWhileEverythingElseGoesOn)
{
    m_engine.dial();
    ASSERT_EQ(m_frontEnd.phoneQuestions.size(), 1u);
    EXPECT_EQ(m_modem->written(), "");
    EXPECT_TRUE(lockIsFree());
    m_modem->feed("RING\r\n");
    EXPECT_TRUE(until([&] { return m_panes[0].has("RING") && m_panes[1].has("RING"); }));

    const QuestionId question = m_frontEnd.phoneQuestions.back();
    m_engine.answerPhoneEntry(question, PhoneEntry{0, "Seoul", "555", false, "kim", "pw"});
    EXPECT_EQ(m_modem->written(), "ATDT 555\r");
    EXPECT_TRUE(m_engine.isDialling() && m_frontEnd.dialWaitShown);
    // A second answer to the same question changes nothing.
    m_engine.answerPhoneEntry(question, PhoneEntry{0, "Busan", "666", false, "lee", "pw"});
    EXPECT_EQ(m_modem->written(), "ATDT 555\r");

    // A refused login: the message in the left pane, 50 ms later in the
    // right one, then the retry question; its answer sends the ID again.
    m_modem->setCarrier(true);
    m_modem->feed("\r\nCONNECT 9600\r\n");
    ASSERT_TRUE(until([&] { return m_modem->written().find(frame('A', 'I', "kim")) != std::string::npos; }));
    m_modem->feed(frame('A', 'R', "FAIL"));
    ASSERT_TRUE(until([&] { return m_panes[0].has("아이디가 일치하지 않습니다"); }));
    EXPECT_FALSE(m_panes[1].has("아이디가 일치하지 않습니다"));
    EXPECT_TRUE(m_frontEnd.loginQuestions.empty());
    m_loop.advance(ConnectionEngine::paneMessagePause);
    EXPECT_TRUE(m_panes[1].has("아이디가 일치하지 않습니다"));
    ASSERT_EQ(m_frontEnd.loginQuestions.size(), 1u);
    EXPECT_TRUE(lockIsFree());
    m_modem->clearWritten();
    m_engine.answerLogin(m_frontEnd.loginQuestions.back(), LoginAnswer{"park", "new"});
    EXPECT_EQ(m_modem->written(), frame('A', 'I', "park"));
}

// The password shows in the link monitor as "****" wherever it stands: sent
// as data (a script may), echoed back by the unit.
TEST_F(ConnectionEngineTest, TheMonitorNeverShowsThePassword)
{
    ASSERT_NO_FATAL_FAILURE(loggedIn());
    m_engine.sendPortText(0, "login s3cret");
    m_modem->feed(frame('D', '0', "login s3cret\r\n"));
    const auto maskedRows = [&] {
        const std::string text = m_engine.monitorLog().toText();
        std::size_t count = 0;
        for (std::size_t at = text.find("login ****"); at != std::string::npos; at = text.find("login ****", at + 1))
            ++count;
        return count;
    };
    ASSERT_TRUE(until([&] { return maskedRows() == 2; }));  // sent and echoed
    EXPECT_EQ(m_engine.monitorLog().toText().find("s3cret"), std::string::npos);
}

TEST_F(ConnectionEngineTest, AnAbandonedConnectionSendsAndAsksNothingMore)
{
    ASSERT_NO_FATAL_FAILURE(loggedIn());
    m_engine.hangUp();
    ASSERT_TRUE(until([&] { return m_modem->written() == "+++"; }));
    m_engine.changeIdAndPassword();
    ASSERT_EQ(m_frontEnd.loginQuestions.size(), 1u);
    m_engine.abandon();
    m_engine.answerLogin(m_frontEnd.loginQuestions.back(), LoginAnswer{"kim2", "pw2"});
    m_engine.sendPortText(0, "ls");
    m_loop.advance(5s);
    EXPECT_EQ(m_modem->written(), "+++");
    EXPECT_FALSE(m_engine.isBusy());
    EXPECT_EQ(m_loop.pendingTimers(), 0u);
}

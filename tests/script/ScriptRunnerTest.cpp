// The runner against a scripted host on a manual clock: what it sends and
// when, how it waits for text and answers, how it ends, and what it tells.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/TextCodec.h"
#include "script/ScriptParser.h"
#include "script/ScriptRunner.h"
#include "tests/support/ManualLoop.h"

namespace {

using namespace std::chrono_literals;
using Kind = ScriptOutcome::Kind;

// Records what the runner asks, with the clock's time; answers port commands
// at once when told to.
class FakeHost final : public ScriptHost {
public:
    explicit FakeHost(ManualLoop& loop)
        : m_loop(loop)
    {
    }

    void sendLine(int source, const std::string& text) override { record("line " + name(source) + " " + text); }
    void sendRaw(int source, const std::string& bytes) override { record("raw " + name(source) + " " + bytes); }
    void connectPort(int port) override { portCommand("connect " + std::to_string(port), port); }
    void disconnectPort(int port) override { portCommand("disconnect " + std::to_string(port), port); }
    void configurePort(int port, const std::string& settings) override
    {
        portCommand("configure " + std::to_string(port) + " " + settings, port);
    }
    void hangUp() override { record("hangup"); }
    void progress(const std::string& line) override { progressLines.push_back(line); }
    bool linkUp() const override { return link; }

    std::vector<std::string> sent;
    std::vector<std::chrono::milliseconds> sentAt;
    std::vector<std::string> progressLines;
    bool link = true;
    ScriptRunner* answerAtOnce = nullptr;

private:
    static std::string name(int source) { return source == scriptLocalLine ? "local" : std::to_string(source); }
    void record(std::string what)
    {
        sent.push_back(std::move(what));
        sentAt.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(m_loop.now().time_since_epoch()));
    }
    void portCommand(std::string what, int port)
    {
        record(std::move(what));
        if (answerAtOnce)
            answerAtOnce->portAnswered(port, PortAnswer::Accepted);
    }

    ManualLoop& m_loop;
};

struct Session {
    explicit Session(std::string_view text, ScriptHostValues values = {}, std::filesystem::path directory = {})
    {
        auto parsed = parseScript(text, "t.krv");
        if (auto* error = std::get_if<ScriptError>(&parsed))
            ADD_FAILURE() << error->text();
        Script script = std::get_if<Script>(&parsed) ? std::get<Script>(std::move(parsed)) : Script{};
        script.directory = std::move(directory);
        runner = std::make_unique<ScriptRunner>(std::move(script), host, loop, values,
                                                [this](const ScriptOutcome&) { ++finishedCalls; });
    }

    Kind kind() const { return runner->outcome() ? runner->outcome()->kind : static_cast<Kind>(-1); }
    const ScriptOutcome& outcome() const { return *runner->outcome(); }

    ManualLoop loop;
    FakeHost host{loop};
    std::unique_ptr<ScriptRunner> runner;
    int finishedCalls = 0;
};

const char* const statusPoll = "send 0 \"show status  \"\n"
                               "expect 0 \"OK\" \"ERROR\" timeout 5s\n"
                               "if $match == 2 goto failed\n"
                               "if $match == 0 fail \"no answer from port 0\"\n"
                               "exit 0\n"
                               "failed:\n"
                               "exit 3\n";

TEST(ScriptRunnerTest, ExpectBranchesOnThePatternSeen)
{
    Session error(statusPoll);
    error.runner->start();
    EXPECT_EQ(error.host.sent, std::vector<std::string>{"line 0 show status"});
    EXPECT_EQ(error.runner->currentLine(), 2);
    error.runner->shown(0, "ERR");
    error.runner->shown(0, "OR\r\n");
    ASSERT_EQ(error.kind(), Kind::Failed);
    EXPECT_EQ(error.outcome().exitCode, 3);
    EXPECT_EQ(error.outcome().line, 7);
    EXPECT_EQ(error.finishedCalls, 0);  // told from the loop, never from inside an input
    error.loop.runPosted();
    EXPECT_EQ(error.finishedCalls, 1);

    Session ok(statusPoll);
    ok.runner->shown(0, "OK");  // before start: not seen
    ok.runner->start();
    ok.runner->shown(0, "O");
    ok.runner->shown(1, "K");  // another port's text
    EXPECT_FALSE(ok.runner->outcome());
    ok.runner->shown(0, "K");
    EXPECT_EQ(ok.kind(), Kind::Done);
}

TEST(ScriptRunnerTest, ExpectTimesOutNoEarlierThanItsLimit)
{
    Session silent(statusPoll);
    silent.runner->start();
    silent.loop.advance(4999ms);
    EXPECT_TRUE(silent.runner->running());
    silent.loop.advance(1ms);
    ASSERT_EQ(silent.kind(), Kind::Failed);
    EXPECT_EQ(silent.outcome().exitCode, 1);
    EXPECT_EQ(silent.outcome().message, "no answer from port 0");
    EXPECT_EQ(silent.outcome().line, 4);
    EXPECT_EQ(silent.host.progressLines.at(2), "script line 2: nothing expected came within 5s ($match 0)");
}

TEST(ScriptRunnerTest, PortCommandsWaitForTheUnitsAnswer)
{
    const char* const script = "connect 0\n"
                               "if $match == 0 fail \"port 0 refused\"\n"
                               "configure 0 19200 7 even 2 hardware\n"
                               "disconnect 0 timeout 3s\n";
    Session answered(script);
    answered.runner->start();
    answered.runner->portAnswered(1, PortAnswer::Accepted);  // not the port asked
    EXPECT_EQ(answered.host.sent, std::vector<std::string>{"connect 0"});
    answered.runner->portAnswered(0, PortAnswer::Accepted);
    answered.runner->portAnswered(0, PortAnswer::Accepted);
    EXPECT_EQ(answered.host.sent,
              (std::vector<std::string>{"connect 0", "configure 0 19200 7 even 2 hardware", "disconnect 0"}));
    answered.loop.advance(2999ms);
    EXPECT_TRUE(answered.runner->running());
    answered.loop.advance(1ms);
    ASSERT_EQ(answered.kind(), Kind::Failed);
    EXPECT_EQ(answered.outcome().message, "no answer from the unit to disconnect 0 within 3s");

    Session busy(script);
    busy.runner->start();
    busy.runner->portAnswered(0, PortAnswer::Busy);
    ASSERT_EQ(busy.kind(), Kind::Failed);
    EXPECT_EQ(busy.outcome().message, "port 0 refused");

    // A host that answers inside its own call: the runner carries on after it.
    Session atOnce(script);
    atOnce.host.answerAtOnce = atOnce.runner.get();
    atOnce.runner->start();
    EXPECT_EQ(atOnce.kind(), Kind::Done);
    EXPECT_EQ(atOnce.host.sent.size(), 3u);

    Session noLink(script);
    noLink.host.link = false;
    noLink.runner->start();
    ASSERT_EQ(noLink.kind(), Kind::ScriptError);
    EXPECT_TRUE(noLink.outcome().message.starts_with("t.krv:1: connect 0 needs the link")) << noLink.outcome().message;
    EXPECT_TRUE(noLink.host.sent.empty());
}

TEST(ScriptRunnerTest, PacingSpacesCharactersAndLines)
{
    const std::string ga = utf8ToCp949("가");
    Session paced("pace 0 10ms 200ms\n"
                  "send 0 \"a" + ga + "\"\n"
                  "pace local 0ms 300ms\n"
                  "sendraw local \"\\x03\"\n"
                  "send local \"AT\"\n");
    paced.runner->start();
    paced.loop.advance(10s);
    ASSERT_EQ(paced.kind(), Kind::Done);
    // One data frame per character, a double-byte character whole, CR last.
    EXPECT_EQ(paced.host.sent,
              (std::vector<std::string>{"raw 0 a", "raw 0 " + ga, "raw 0 \r", "raw local \x03", "line local AT"}));
    const auto& at = paced.host.sentAt;
    EXPECT_GE(at[1] - at[0], 10ms);
    EXPECT_GE(at[2] - at[1], 10ms);
    EXPECT_GE(at[3] - at[2], 200ms);
    EXPECT_GE(at[4] - at[3], 300ms);
}

TEST(ScriptRunnerTest, SendFileWaitsForThePromptAfterEachLine)
{
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "script_sendfile";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "cfg.txt", std::ios::binary) << "first\r\n\r\n  \nsecond line  \n";
    Session session("expect 0 \">\"\n"
                    "sendfile 0 \"cfg.txt\" prompt \">\" timeout 2s\n"
                    "if $match == 0 fail \"gave up\"\n"
                    "sendfile 0 \"cfg.txt\" prompt \"#\" timeout 2s\n"
                    "if $match == 0 fail \"no # prompt\"\n",
                    {}, folder);
    session.runner->start();
    EXPECT_TRUE(session.host.sent.empty());
    session.runner->shown(0, "> ");
    EXPECT_EQ(session.host.sent, std::vector<std::string>{"line 0 first"});
    session.runner->shown(0, "first\r\n");
    EXPECT_EQ(session.host.sent.size(), 1u);
    session.runner->shown(0, ">");
    EXPECT_EQ(session.host.sent.back(), "line 0 second line");
    session.runner->shown(0, "second line\r\n>");
    EXPECT_EQ(session.host.sent.back(), "line 0 first");  // the second sendfile began
    session.loop.advance(1999ms);
    EXPECT_TRUE(session.runner->running());
    session.loop.advance(1ms);
    ASSERT_EQ(session.kind(), Kind::Failed);
    EXPECT_EQ(session.outcome().message, "no # prompt");
    EXPECT_EQ(session.host.sent.size(), 3u);  // nothing after the prompt that never came

    Session missing("\nsendfile local \"nothing.txt\" prompt \">\"\n", {}, folder);
    missing.runner->start();
    ASSERT_EQ(missing.kind(), Kind::ScriptError);
    EXPECT_TRUE(missing.outcome().message.starts_with("t.krv:2: sendfile: cannot read \"nothing.txt\""))
        << missing.outcome().message;
}

TEST(ScriptRunnerTest, StopEndsAtOnceAndNothingMoreIsSent)
{
    Session session("pace 0 100ms 0ms\nsend 0 \"abc\"\nsend 0 \"more\"\n");
    session.runner->start();
    ASSERT_EQ(session.host.sent, std::vector<std::string>{"raw 0 a"});
    session.runner->stop();
    EXPECT_EQ(session.kind(), Kind::Stopped);
    EXPECT_EQ(session.outcome().line, 2);
    session.loop.advance(10s);
    session.runner->shown(0, "abc");
    EXPECT_EQ(session.host.sent.size(), 1u);
    EXPECT_EQ(session.loop.pendingTimers(), 0u);
    EXPECT_EQ(session.finishedCalls, 1);
}

TEST(ScriptRunnerTest, ALoopThatNeverWaitsEndsWithItsLine)
{
    Session spinning("set n 0\ntop:\nset n $n + 1\ngoto top\n");
    spinning.runner->start();
    ASSERT_EQ(spinning.kind(), Kind::ScriptError);
    EXPECT_TRUE(spinning.outcome().message.starts_with("t.krv:")) << spinning.outcome().message;
    EXPECT_NE(spinning.outcome().message.find("steps without waiting"), std::string::npos);

    Session flooding("top:\nsend 0 \"" + std::string(1000, 'x') + "\"\ngoto top\n");
    flooding.runner->start();
    ASSERT_EQ(flooding.kind(), Kind::ScriptError);
    EXPECT_NE(flooding.outcome().message.find("bytes sent without waiting"), std::string::npos);
    EXPECT_LE(flooding.host.sent.size(), 263u);

    // The same count with a wait in the loop runs to its end.
    Session waiting("set n 0\ntop:\nset n $n + 1\nwait 1ms\nif $n < 40000 goto top\n");
    waiting.runner->start();
    waiting.loop.advance(60s);
    EXPECT_EQ(waiting.kind(), Kind::Done);
}

TEST(ScriptRunnerTest, ThePasswordIsSentButNeverShown)
{
    Session session("send 0 \"${password}\"\n"
                    "set copy \"x${password}\"\n"
                    "log \"copy is ${copy} for ${user}\"\n"
                    "expect 0 \"${password}\" timeout 1s\n"
                    "fail \"wrong ${password}\"\n",
                    ScriptHostValues{"서울1", "5551234", "admin", "s3cret"});
    session.runner->start();
    session.runner->shown(0, "s3");
    session.runner->shown(0, "cret");
    EXPECT_EQ(session.host.sent, std::vector<std::string>{"line 0 s3cret"});
    ASSERT_EQ(session.kind(), Kind::Failed);
    EXPECT_EQ(session.outcome().message, "wrong ****");
    EXPECT_EQ(session.host.progressLines.at(1), "script line 3: copy is x**** for admin");
    for (const std::string& line : session.host.progressLines)
        EXPECT_EQ(line.find("s3cret"), std::string::npos) << line;
    EXPECT_EQ(session.runner->masked("login s3cret"), "login ****");
}

TEST(ScriptRunnerTest, TheLineLostEndsTheScriptUnlessItHungUpItself)
{
    Session lost("expect 0 \"x\" timeout 10s\n");
    lost.runner->start();
    lost.runner->lineLost();
    EXPECT_EQ(lost.kind(), Kind::LineLost);

    Session hanging("hangup\nsend local \"ATZ\"\nexpect local \"OK\" timeout 1s\nif $match == 0 exit 4\n");
    hanging.runner->start();
    EXPECT_EQ(hanging.host.sent, std::vector<std::string>{"hangup"});
    hanging.runner->hungUp();
    hanging.runner->lineLost();  // the carrier going after the hang-up
    EXPECT_EQ(hanging.host.sent.back(), "line local ATZ");
    hanging.runner->shown(scriptLocalLine, "ATZ\r\r\nOK\r\n");
    EXPECT_EQ(hanging.kind(), Kind::Done);
}

TEST(ScriptRunnerTest, FaultsFoundWhileRunningNameTheLine)
{
    Session unset("if $match == 0 goto later\nset greeting \"hi\"\nlater:\nsend local \"${greeting}\"\n");
    unset.runner->start();
    ASSERT_EQ(unset.kind(), Kind::ScriptError);
    EXPECT_EQ(unset.outcome().message, "t.krv:4: ${greeting} is used before it is set");

    Session text("set v \"abc\"\nif $v > 1 exit 2\n");
    text.runner->start();
    ASSERT_EQ(text.kind(), Kind::ScriptError);
    EXPECT_EQ(text.outcome().message, "t.krv:2: if: expected two integers to compare, found \"abc\"");
}

}  // namespace

#pragma once
// Runs a checked script on a connection, driven entirely by events: it never
// waits in place. Each command either completes at once or starts a timer or
// waits for an input (text shown, a port's answer, the hang-up) and returns;
// the loop or the host calls it back and it carries on from there.
//
// Everything runs on the loop's thread: the host calls the inputs there and the
// runner calls the host there. The host may answer inside its own call
// (connectPort answering at once); the runner carries on after that call
// returns, never from inside it.
//
// Every wait has a time limit, and a script that goes on too long without
// waiting (a goto loop) ends with a script error, so no script holds the
// program.

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/EventLoop.h"
#include "base/LoopTimers.h"
#include "base/PortRecords.h"
#include "script/Script.h"
#include "script/ScriptHost.h"
#include "script/ScriptOutcome.h"
#include "script/ScriptVariables.h"
#include "script/SecretMask.h"
#include "script/SourceText.h"

class ScriptRunner {
public:
    // Called once, from the loop (never from inside an input or start()), so
    // the owner may destroy the runner in it.
    using Finished = std::function<void(const ScriptOutcome&)>;

    ScriptRunner(Script script, ScriptHost& host, EventLoop& loop, const ScriptHostValues& values,
                 Finished finished = {});
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    void start();

    // Inputs from the host.
    // What a pane showing this source would show (scriptLocalLine or a remote
    // port), frames already taken apart. Text shown before start() is not seen.
    void shown(int source, std::string_view bytes);
    void portAnswered(int port, PortAnswer answer);
    void hungUp();
    void lineLost();
    // The operator's stop: ends at once and nothing more is sent.
    void stop();

    bool running() const { return m_started && !m_outcome; }
    const std::optional<ScriptOutcome>& outcome() const { return m_outcome; }
    // The line of the command running or waiting now (0 when there is none).
    int currentLine() const;

    // The password as "****", for everything the host writes about the session.
    const SecretMask& secretMask() const { return m_mask; }
    std::string masked(std::string_view text) const { return m_mask.masked(text); }

private:
    enum class Waiting { Nothing, Timer, Output, Text, Answer, HangUp };
    enum class PortCommand { Connect, Disconnect, Configure };

    struct Pace {
        ScriptDuration perCharacter{};
        ScriptDuration perLine{};
    };
    // One sendLine (text + CR) or sendRaw, then a pause.
    struct Chunk {
        bool line = false;
        std::string bytes;
        ScriptDuration pauseAfter{};
    };
    struct FileSending {
        int source = 0;
        std::vector<std::string> lines;
        std::size_t next = 0;
        bool awaitingPrompt = false;
        std::string prompt;
        ScriptDuration timeout{};
    };

    static constexpr std::size_t sourceCount = remotePortCount + 1;
    static std::size_t sourceIndex(int source) { return static_cast<std::size_t>(source + 1); }

    void run();
    void step(int line, const ConnectCommand& command);
    void step(int line, const DisconnectCommand& command);
    void step(int line, const ConfigureCommand& command);
    void step(int line, const SendCommand& command);
    void step(int line, const ExpectCommand& command);
    void step(int line, const IfCommand& command);
    void step(int line, const WaitCommand& command);
    void step(int line, const PaceCommand& command);
    void step(int line, const SendFileCommand& command);
    void step(int line, const SetCommand& command);
    void step(int line, const GotoCommand& command);
    void step(int line, const HangUpCommand& command);
    void step(int line, const LogCommand& command);
    void step(int line, const FailCommand& command);
    void step(int line, const ExitCommand& command);

    void portCommand(int line, PortCommand kind, int port, ScriptDuration timeout, const std::string& settings);
    bool needsLink(int line, int source, std::string_view command);
    void startOutput(int line, int source, const std::string& text, bool raw);
    void sendNextChunk();
    void continueFile(int line);
    void textMatched(std::size_t pattern);
    void textTimedOut();
    void waitFor(Waiting what, ScriptDuration limit, std::function<void()> timedOut);
    void endWait();
    bool countSent(int line, std::size_t bytes);

    // False when the host stopped the script on hearing it.
    bool tell(int line, const std::string& what);
    void setMatch(std::int64_t value);
    void finish(ScriptOutcome::Kind kind, int exitCode, int line, std::string message);
    void runtimeError(int line, std::string message);

    const Script m_script;
    ScriptHost& m_host;
    LoopTimers m_timers;
    Finished m_finished;
    ScriptVariables m_variables;
    SecretMask m_mask;

    bool m_started = false;
    bool m_inRun = false;
    std::optional<ScriptOutcome> m_outcome;
    std::size_t m_next = 0;  // the statement running or next to run
    int m_stepsWithoutWait = 0;
    std::size_t m_bytesWithoutWait = 0;

    Waiting m_waiting = Waiting::Nothing;
    EventLoop::TimerId m_timer = 0;
    int m_waitSource = 0;                 // Waiting::Text
    std::vector<std::string> m_patterns;  // Waiting::Text
    ScriptDuration m_waitLimit{};         // Waiting::Text
    PortCommand m_portCommand = PortCommand::Connect;  // Waiting::Answer
    int m_answerPort = 0;                              // Waiting::Answer
    bool m_hungUpByScript = false;

    std::array<SourceText, sourceCount> m_texts;
    std::array<Pace, sourceCount> m_pace;
    int m_outputSource = 0;
    std::deque<Chunk> m_outbox;
    std::optional<FileSending> m_file;
};

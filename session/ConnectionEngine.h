#pragma once
// One connection to a KR-V through a local port, without a window: it owns
// the port, its output, the reader thread, the dialogue with the modem and
// the unit, what reaches which pane, and the link monitor's log. It carries
// out the dialogue's actions in order and never waits in place: a pause is a
// timer after which the list goes on, a question goes to the front end and
// the list goes on once it is answered. Meanwhile every other input is
// handled as it comes, and the connection lock is held only while bytes are
// taken, decoded and written into panes.
//
// The window and the command-line program are its front ends. Loop thread
// only (the EventLoop's), but for the reader thread inside.

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "base/LoopTimers.h"
#include "serial/SerialPort.h"
#include "session/ConnectionDialogue.h"
#include "session/ConnectionFrontEnd.h"
#include "session/ConnectionReader.h"
#include "session/ConnectionSettings.h"
#include "session/LineOutput.h"
#include "session/LinkMonitorLog.h"
#include "session/PaneSide.h"
#include "session/TrafficRouter.h"

class ConnectionEngine final : private ConnectionReader::Handler, private LineOutput::Listener {
public:
    // How long after the port opened the reader starts.
    static constexpr std::chrono::milliseconds readerStartDelay{100};
    // The pause between a message in the left pane and in the right one.
    static constexpr std::chrono::milliseconds paneMessagePause{50};

    enum class OpenResult {
        NoSettings,  // the port is unknown: no port, no reader, no message
        Failed,      // the port could not be opened: the front end tells and closes
        Opened,
    };

    ConnectionEngine(EventLoop& loop, const ConnectionSettings& settings, ConnectionFrontEnd& frontEnd);
    ~ConnectionEngine() override;
    ConnectionEngine(const ConnectionEngine&) = delete;
    ConnectionEngine& operator=(const ConnectionEngine&) = delete;

    // Takes the port: the base title; opens it with its line settings;
    // initialises the modem (or, with carrier, takes the link as up) and
    // starts the reader readerStartDelay later.
    OpenResult openConnection(const std::string& portName);
    // Stops where it is, for good: every list in progress, every question,
    // timer and queued byte is dropped and nothing more is sent or done. The
    // window closes, or the program ends.
    void abandon();
    // Stops the reader and waits for it; the port stays open until the
    // engine goes.
    void stopReader();

    // The operator's commands.
    void dial();
    void hangUp();
    void cancelDial();
    void togglePort(int port, bool pressed);
    // initialPort: what the active pane shows, the dialog's first choice.
    void configureRemotePort(int initialPort);
    // The remote port settings without the dialog (a script).
    void configurePort(int port, const std::string& settingsText);
    void changeIdAndPassword();
    void selectPaneSource(PaneSide side, int selection);
    // Typed into a pane's send bar: to what the pane shows.
    void sendFromPane(PaneSide side, const std::string& text);
    // "CTRL+C" in a pane's send bar: ETX to the pane's port, nothing for local.
    void sendInterrupt(PaneSide side);
    // To the local line (raw, or framed while carrier) or a remote port, as a
    // send bar does.
    void sendLocalText(const std::string& text);
    void sendPortText(int port, const std::string& text);
    // Exact bytes: raw to the local line (framed while carrier), or one data
    // frame holding them for a remote port.
    void sendBytes(int source, const std::string& bytes);

    // Answers to the front end's questions; an answer to a question that was
    // dropped, or given twice, is ignored.
    void answerPhoneEntry(QuestionId id, const std::optional<PhoneEntry>& entry);
    void answerLogin(QuestionId id, const std::optional<LoginAnswer>& answer);
    void answerPortSettings(QuestionId id, const std::optional<RemotePortAnswer>& answer);

    // On a tick the loop runs anyway: takes the lines the reader left
    // waiting. False when none waited.
    bool takeWaiting() { return m_reader.takeWaiting(); }
    // Calls `then` once what was written so far has left the port; `then`
    // must not destroy the engine (post that to the loop).
    void whenOutputSent(std::function<void()> then) { m_output.whenSent(std::move(then)); }

    const ConnectionDialogue& dialogue() const { return m_dialogue; }
    bool isConnected() const { return m_dialogue.isConnected(); }
    bool isDialling() const { return m_dialogue.isDialling(); }
    bool isReaderRunning() const { return m_reader.isRunning(); }
    bool isAbandoned() const { return m_abandoned; }
    // True while a list waits for a pause or an answer.
    bool isBusy() const { return !m_runs.empty(); }
    int paneSelection(PaneSide side) const { return m_router.selection(side); }
    const std::string& portName() const { return m_portName; }
    SerialPort& port() { return m_port; }
    TrafficRouter& router() { return m_router; }
    LinkMonitorLog& monitorLog() { return m_monitor; }
    bool isOutputHeld() const { return m_output.isHeld(); }

private:
    using RunId = std::uint64_t;
    struct Run {
        std::deque<DialogueAction> actions;
    };
    enum class QuestionKind { PhoneEntry, RetryLogin, NewLogin, PortSettings };
    struct Question {
        RunId run;
        QuestionKind kind;
    };

    bool carrier() { return m_port.carrierDetected(); }
    // Starts a list of its own and carries it out as far as it goes now.
    void input(DialogueActions actions);
    void pump();
    void proceed(RunId id);
    // Carries one action out; false when the list waits (a pause or a question).
    bool carryOut(RunId id, const DialogueAction& action);
    void ask(RunId id, const DialogueAction& action);
    // Puts the actions in front of what is left of the list and lets it go on.
    void resumeRun(RunId id, DialogueActions actions);
    void wake(RunId id);
    void pauseThenWake(RunId id, std::chrono::milliseconds pause);
    void wakeAt(RunId id, EventLoop::Clock::time_point end);
    void countDown(RunId id, EventLoop::Clock::time_point end);
    void reopenPort(RunId id);
    std::optional<Question> takeQuestion(QuestionId id, QuestionKind kind);
    void record(LinkMonitorRow row);
    std::string monitorMasked(const std::string& bytes) const;

    // ConnectionReader::Handler
    void frameReceived(const std::string& frame) override;
    void lineReceived(const std::string& line) override;
    void lineLost() override;
    void receivedTaken() override { m_frontEnd.receivedTaken(); }
    // LineOutput::Listener
    void outputHeldChanged(bool held) override { m_frontEnd.showOutputHeld(held); }
    void outputTrouble(const std::string& message) override;

    EventLoop& m_loop;
    const ConnectionSettings& m_settings;
    ConnectionFrontEnd& m_frontEnd;
    ConnectionDialogue m_dialogue;
    TrafficRouter m_router;
    LinkMonitorLog m_monitor;
    std::string m_portName;
    int m_settingsInitialPort = noPort;
    std::array<int, 2> m_panesBeforeLoss{noPort, noPort};

    std::map<RunId, Run> m_runs;
    std::deque<RunId> m_ready;
    RunId m_lastRun = 0;
    std::map<QuestionId, Question> m_questions;
    QuestionId m_lastQuestion = 0;
    bool m_pumping = false;
    bool m_abandoned = false;

    // The port goes after what uses it: the output, the reader, the timers.
    SerialPort m_port;
    LineOutput m_output;
    ConnectionReader m_reader;
    LoopTimers m_timers;
};

#include "session/ConnectionEngine.h"

#include <mutex>

#include "script/SecretMask.h"
#include "session/ConnectionLock.h"
#include "session/ReplyDecoder.h"

using Kind = DialogueAction::Kind;

ConnectionEngine::ConnectionEngine(EventLoop& loop, const ConnectionSettings& settings,
                                   ConnectionFrontEnd& frontEnd)
    : m_loop(loop)
    , m_settings(settings)
    , m_frontEnd(frontEnd)
    , m_output(m_port, loop, *this)
    , m_reader(m_port, m_router, loop, *this)
    , m_timers(loop)
{
}

ConnectionEngine::~ConnectionEngine()
{
    // Closing never sends the hang-up: what waits is dropped with the rest.
    abandon();
    m_reader.stop();
    m_port.close();
    m_port.reset();
}

ConnectionEngine::OpenResult ConnectionEngine::openConnection(const std::string& portName)
{
    m_portName = portName;
    input(m_dialogue.takePort(portName, m_settings.portSettingsText(portName)));
    m_port.reset();
    const std::optional<PortSettings> settings = m_settings.findPortSettings(portName);
    if (!settings)
        return OpenResult::NoSettings;
    if (!m_port.open(lineSettingsFor(*settings)))
        return OpenResult::Failed;
    input(m_dialogue.portOpened(carrier(), m_settings.dialSettings().initCommand));
    m_timers.start(readerStartDelay, [this] { m_reader.start(); });
    return OpenResult::Opened;
}

void ConnectionEngine::abandon()
{
    m_abandoned = true;
    m_runs.clear();
    m_ready.clear();
    m_questions.clear();
    m_timers.cancelAll();
    m_output.cancel();
}

void ConnectionEngine::stopReader()
{
    m_reader.stop();
}

// --- inputs -------------------------------------------------------------------

void ConnectionEngine::dial()
{
    input(m_dialogue.dial());
}

void ConnectionEngine::hangUp()
{
    input(m_dialogue.hangUp());
}

void ConnectionEngine::cancelDial()
{
    input(m_dialogue.cancelDial(carrier()));
}

void ConnectionEngine::togglePort(int port, bool pressed)
{
    input(m_dialogue.togglePort(port, pressed, carrier()));
}

void ConnectionEngine::configureRemotePort(int initialPort)
{
    m_settingsInitialPort = initialPort;
    input(m_dialogue.configureRemotePort());
}

void ConnectionEngine::configurePort(int port, const std::string& settingsText)
{
    input(m_dialogue.configurePort(RemotePortAnswer{port, settingsText}, carrier()));
}

void ConnectionEngine::changeIdAndPassword()
{
    input(m_dialogue.changeIdAndPassword());
}

void ConnectionEngine::selectPaneSource(PaneSide side, int selection)
{
    m_router.select(side, selection);
}

void ConnectionEngine::sendFromPane(PaneSide side, const std::string& text)
{
    const int selection = m_router.selection(side);
    if (selection == noPort)
        sendLocalText(text);
    else
        sendPortText(selection, text);
}

void ConnectionEngine::sendInterrupt(PaneSide side)
{
    input(m_dialogue.sendInterrupt(m_router.selection(side), carrier()));
}

void ConnectionEngine::sendLocalText(const std::string& text)
{
    input(m_dialogue.sendLocalText(text, carrier()));
}

void ConnectionEngine::sendPortText(int port, const std::string& text)
{
    input(m_dialogue.sendPortText(port, text, carrier()));
}

void ConnectionEngine::sendBytes(int source, const std::string& bytes)
{
    if (source == noPort)
        input(m_dialogue.sendText(bytes, noPort, false, carrier()));
    else
        input(m_dialogue.sendPortBytes(source, bytes, carrier()));
}

void ConnectionEngine::frameReceived(const std::string& frame)
{
    if (m_abandoned)
        return;
    const RequestKind kind = m_dialogue.requestKind();
    DialogueActions actions;
    ReplyOutcome outcome;
    {
        // The decoding runs under the connection lock, as every pane write does.
        std::lock_guard<std::recursive_mutex> lock(connectionLock());
        outcome = decodeReply(frame, kind);
        actions = m_dialogue.replyDecoded(outcome);
    }
    record(describeReceivedFrame(monitorMasked(frame), kind, outcome.kind, LinkMonitorClock::now()));
    if (outcome.kind != ReplyOutcome::Kind::Ignored && outcome.kind != ReplyOutcome::Kind::PortData)
        m_frontEnd.replyReceived(outcome, kind);
    input(std::move(actions));
}

void ConnectionEngine::lineReceived(const std::string& line)
{
    if (m_abandoned)
        return;
    record(describeModemLine(monitorMasked(line), false, m_dialogue.requestKind(), LinkMonitorClock::now()));
    m_frontEnd.modemLineReceived(line);
    input(m_dialogue.modemLine(line, carrier()));
}

void ConnectionEngine::lineLost()
{
    if (m_abandoned)
        return;
    m_frontEnd.lineLost();
    input(m_dialogue.lineLost());
}

void ConnectionEngine::outputTrouble(const std::string& message)
{
    // Told from inside a write: shown once the write's list has gone on.
    m_timers.post([this, message] { input({DialogueAction::of(Kind::ShowInAllPanes, message)}); });
}

// --- answers -------------------------------------------------------------------

std::optional<ConnectionEngine::Question> ConnectionEngine::takeQuestion(QuestionId id, QuestionKind kind)
{
    const auto found = m_questions.find(id);
    if (found == m_questions.end() || found->second.kind != kind)
        return std::nullopt;
    const Question question = found->second;
    m_questions.erase(found);
    return question;
}

void ConnectionEngine::answerPhoneEntry(QuestionId id, const std::optional<PhoneEntry>& entry)
{
    const std::optional<Question> question = takeQuestion(id, QuestionKind::PhoneEntry);
    if (!question)
        return;
    // The dial settings as they are now: they may have changed while the
    // phone book was open.
    resumeRun(question->run,
              entry ? m_dialogue.phoneEntryChosen(*entry, m_settings.dialSettings(), carrier()) : DialogueActions{});
}

void ConnectionEngine::answerLogin(QuestionId id, const std::optional<LoginAnswer>& answer)
{
    if (const std::optional<Question> retry = takeQuestion(id, QuestionKind::RetryLogin)) {
        resumeRun(retry->run, m_dialogue.retryAnswered(answer, carrier()));
    } else if (const std::optional<Question> change = takeQuestion(id, QuestionKind::NewLogin)) {
        resumeRun(change->run, answer ? m_dialogue.newLoginAnswered(*answer, carrier()) : DialogueActions{});
    }
}

void ConnectionEngine::answerPortSettings(QuestionId id, const std::optional<RemotePortAnswer>& answer)
{
    const std::optional<Question> question = takeQuestion(id, QuestionKind::PortSettings);
    if (!question)
        return;
    resumeRun(question->run, answer ? m_dialogue.portSettingsChosen(*answer, carrier()) : DialogueActions{});
}

// --- carrying the lists out --------------------------------------------------

void ConnectionEngine::input(DialogueActions actions)
{
    if (m_abandoned || actions.empty())
        return;
    const RunId id = ++m_lastRun;
    m_runs[id].actions.assign(std::make_move_iterator(actions.begin()), std::make_move_iterator(actions.end()));
    wake(id);
}

void ConnectionEngine::resumeRun(RunId id, DialogueActions actions)
{
    const auto run = m_runs.find(id);
    if (m_abandoned || run == m_runs.end())
        return;
    run->second.actions.insert(run->second.actions.begin(), std::make_move_iterator(actions.begin()),
                               std::make_move_iterator(actions.end()));
    wake(id);
}

void ConnectionEngine::wake(RunId id)
{
    m_ready.push_back(id);
    pump();
}

// Lists go on one at a time, each as far as it can; a list woken while
// another is being carried out (an answer given at once, say) follows it.
void ConnectionEngine::pump()
{
    if (m_pumping)
        return;
    m_pumping = true;
    while (!m_ready.empty() && !m_abandoned) {
        const RunId id = m_ready.front();
        m_ready.pop_front();
        proceed(id);
    }
    m_pumping = false;
}

void ConnectionEngine::proceed(RunId id)
{
    for (;;) {
        const auto run = m_runs.find(id);
        if (m_abandoned || run == m_runs.end())
            return;
        if (run->second.actions.empty()) {
            m_runs.erase(run);
            return;
        }
        const DialogueAction action = std::move(run->second.actions.front());
        run->second.actions.pop_front();
        if (!carryOut(id, action))
            return;
    }
}

bool ConnectionEngine::carryOut(RunId id, const DialogueAction& action)
{
    switch (action.kind) {
    case Kind::WriteRaw:
    case Kind::WriteFrame: {
        const auto now = LinkMonitorClock::now();
        const RequestKind kind = m_dialogue.requestKind();
        const std::string shown = monitorMasked(action.text);
        record(action.kind == Kind::WriteFrame ? describeSentFrame(shown, kind, now)
                                               : describeModemLine(shown, true, kind, now));
        m_output.write(action.text);
        return true;
    }
    case Kind::DropOutput:
        m_output.drop();
        return true;
    case Kind::ShowInAllPanes:
        if (action.text.empty())
            return true;
        // The watchers (a capture, a script) see it with the left pane, in
        // its place among what arrives meanwhile.
        m_router.showLineInPane(PaneSide::Left, action.text);
        m_router.showLineToWatchers(action.text);
        m_timers.start(paneMessagePause, [this, id, text = action.text] {
            m_router.showLineInPane(PaneSide::Right, text);
            wake(id);
        });
        return false;
    case Kind::ShowPortMessage:
        m_router.showPortMessage(action.port, action.text);
        return true;
    case Kind::ShowPortData:
        m_router.showPortData(action.port, action.text);
        return true;
    case Kind::SetTitle:
        m_frontEnd.setTitle(action.text);
        return true;
    case Kind::ShowConnected:
        m_frontEnd.showConnected(action.flag);
        return true;
    case Kind::ResetPanes:
        // A lost line that is dialled again gives the panes back what they showed.
        for (PaneSide side : paneSides) {
            m_panesBeforeLoss[indexOf(side)] = m_router.selection(side);
            m_router.select(side, noPort);
        }
        m_frontEnd.showPaneSources({noPort, noPort});
        return true;
    case Kind::RestorePanes:
        for (PaneSide side : paneSides)
            m_router.select(side, m_panesBeforeLoss[indexOf(side)]);
        m_frontEnd.showPaneSources(m_panesBeforeLoss);
        return true;
    case Kind::ReleaseToggle:
        m_frontEnd.releasePortToggles(action.port);
        return true;
    case Kind::ShowDialWait:
        m_frontEnd.showDialWait();
        return true;
    case Kind::HideDialWait:
        m_frontEnd.hideDialWait();
        return true;
    case Kind::HangUpFinished:
        m_frontEnd.hangUpFinished();
        return true;
    case Kind::PressToggle:
        m_frontEnd.pressPortToggle(action.port);
        return true;
    case Kind::Countdown:
        countDown(id, m_loop.now() + std::chrono::milliseconds(action.milliseconds));
        return false;
    case Kind::ReopenPort:
        reopenPort(id);
        return true;
    case Kind::ChoosePhoneEntry:
    case Kind::AskRetryLogin:
    case Kind::AskNewLogin:
    case Kind::AskPortSettings:
        ask(id, action);
        return false;
    case Kind::Wait:
        // The pause starts once the bytes written before it have left.
        m_output.whenSent([this, id, pause = std::chrono::milliseconds(action.milliseconds)] {
            pauseThenWake(id, pause);
        });
        return false;
    default:
        break;
    }
    // A step of the dialogue that has come due: what it gives goes first.
    const auto run = m_runs.find(id);
    if (run == m_runs.end())
        return false;
    DialogueActions next = m_dialogue.resume(action, carrier());
    if (action.kind == Kind::FinishHangUp)
        next.push_back(DialogueAction::of(Kind::HangUpFinished));
    run->second.actions.insert(run->second.actions.begin(), std::make_move_iterator(next.begin()),
                               std::make_move_iterator(next.end()));
    return true;
}

void ConnectionEngine::pauseThenWake(RunId id, std::chrono::milliseconds pause)
{
    wakeAt(id, m_loop.now() + pause);
}

// A timer may come a little early: the full time is waited.
void ConnectionEngine::wakeAt(RunId id, EventLoop::Clock::time_point end)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - m_loop.now());
    if (left.count() > 0)
        m_timers.start(left, [this, id, end] { wakeAt(id, end); });
    else
        wake(id);
}

// Tells the countdown each second until its end, or until the dialogue
// stops counting (the operator cancelled); then the list goes on.
void ConnectionEngine::countDown(RunId id, EventLoop::Clock::time_point end)
{
    const auto left = std::chrono::ceil<std::chrono::seconds>(end - m_loop.now());
    if (!m_dialogue.isCountingDown() || left.count() <= 0) {
        m_frontEnd.showCountdown({});
        wake(id);
        return;
    }
    m_frontEnd.showCountdown(m_dialogue.countdownText(static_cast<int>(left.count())));
    const auto nextSecond = end - std::chrono::duration_cast<EventLoop::Clock::duration>(left - std::chrono::seconds(1));
    m_timers.start(std::chrono::ceil<std::chrono::milliseconds>(nextSecond - m_loop.now()),
                   [this, id, end] { countDown(id, end); });
}

// A reconnect's first step when the port's device had vanished: close and
// open it again with its line settings; what the dialogue does next goes first.
void ConnectionEngine::reopenPort(RunId id)
{
    m_port.close();
    const std::optional<PortSettings> settings = m_settings.findPortSettings(m_portName);
    const bool opened = settings && m_port.open(lineSettingsFor(*settings));
    const auto run = m_runs.find(id);
    if (run == m_runs.end())
        return;
    DialogueActions next = m_dialogue.portReopened(opened, m_settings.dialSettings().initCommand, carrier());
    run->second.actions.insert(run->second.actions.begin(), std::make_move_iterator(next.begin()),
                               std::make_move_iterator(next.end()));
}

void ConnectionEngine::ask(RunId id, const DialogueAction& action)
{
    const QuestionId question = ++m_lastQuestion;
    switch (action.kind) {
    case Kind::ChoosePhoneEntry:
        m_questions[question] = {id, QuestionKind::PhoneEntry};
        m_frontEnd.choosePhoneEntry(question);
        break;
    case Kind::AskRetryLogin:
    case Kind::AskNewLogin:
        m_questions[question] = {id, action.kind == Kind::AskRetryLogin ? QuestionKind::RetryLogin
                                                                        : QuestionKind::NewLogin};
        m_frontEnd.askLogin(question, action.text, m_dialogue.userId(), m_dialogue.password());
        break;
    default:
        m_questions[question] = {id, QuestionKind::PortSettings};
        m_frontEnd.askPortSettings(question, m_settingsInitialPort, m_dialogue.portStatusTexts());
        break;
    }
}

// The login password shows as "****" wherever it stands in the monitor (a
// script may send it as data, a unit may echo it), not only in the frames
// that carry it. A password this short would mask ordinary text too; the
// frames that carry it mask it anyway.
std::string ConnectionEngine::monitorMasked(const std::string& bytes) const
{
    constexpr std::size_t shortestMasked = 4;
    const std::string& password = m_dialogue.password();
    if (password.size() < shortestMasked)
        return bytes;
    return SecretMask(password).masked(bytes);
}

void ConnectionEngine::record(LinkMonitorRow row)
{
    m_monitor.append(std::move(row));
    m_frontEnd.monitorRowAdded();
}

#include "cli/UnitRun.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <mutex>

#include "base/TextCodec.h"
#include "base/TrimmedText.h"
#include "base/FilePath.h"
#include "session/ConnectionLock.h"

namespace {

std::string upperCased(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

const char* captureName(int source)
{
    static const char* const names[] = {"local.log", "port0.log", "port1.log", "port2.log", "port3.log"};
    return names[source + 1];
}

}  // namespace

UnitRun::UnitRun(EventLoop& loop, const ConnectionSettings& settings, const RunOptions& options, UnitTarget target,
                 std::optional<Script> script, std::string captureDirectory, Progress progress, Finished finished)
    : m_loop(loop)
    , m_settings(settings)
    , m_options(options)
    , m_target(std::move(target))
    , m_scriptText(std::move(script))
    , m_captureDirectory(std::move(captureDirectory))
    , m_progress(std::move(progress))
    , m_finished(std::move(finished))
    , m_timers(loop)
{
    m_result.label = m_target.label;
    if (m_target.entry)
        m_result.number = m_target.entry->number;
}

UnitRun::~UnitRun()
{
    m_script.reset();
    m_engine.reset();
}

void UnitRun::tell(const std::string& line)
{
    const SecretMask mask(m_target.entry ? m_target.entry->password : std::string());
    m_progress(mask.masked(line));
}

void UnitRun::start()
{
    m_result.started = std::chrono::system_clock::now();
    ConnectionFrontEnd& frontEnd = *this;
    m_engine = std::make_unique<ConnectionEngine>(m_loop, m_settings, frontEnd);
    openCaptures();
    if (m_endDecided)
        return;
    if (!m_captureDirectory.empty())
        m_timers.start(captureFlushPeriod, [this] { flushCaptures(); });
    m_timers.start(std::chrono::seconds(m_options.timeoutSeconds), [this] {
        finish(RunStatus::TimeLimit, "the time limit of " + std::to_string(m_options.timeoutSeconds) + " s ran out");
    });
    switch (m_engine->openConnection(m_options.port)) {
    case ConnectionEngine::OpenResult::NoSettings:
    case ConnectionEngine::OpenResult::Failed:
        finish(RunStatus::PortFailed,
               utf8ToCp949("포트[") + m_options.port + utf8ToCp949("]가 사용중이거나, 다른 문제로 열기에 실패했습니다."));
        return;
    case ConnectionEngine::OpenResult::Opened:
        break;
    }
    tell("port " + m_options.port + " open");
    if (m_engine->isConnected()) {
        // Carrier at opening: the link is taken as up, as the window takes it.
        tell("carrier present: taken as connected");
        m_phase = Phase::Working;
        m_timers.post([this] { startScript(); });
        return;
    }
    m_phase = Phase::Initialising;
    limit(modemAnswerLimit, Phase::Initialising, RunStatus::Done, {});
}

void UnitRun::openCaptures()
{
    const std::string secret = m_target.entry ? m_target.entry->password : std::string();
    std::error_code error;
    if (!m_captureDirectory.empty())
        std::filesystem::create_directories(pathFromUtf8(m_captureDirectory), error);
    for (int source = noPort; source < remotePortCount; ++source) {
        auto& capture = m_captures[static_cast<std::size_t>(source + 1)];
        capture = std::make_unique<SourceCapture>(secret);
        if (!m_captureDirectory.empty()) {
            const std::string path = utf8FromPath(pathFromUtf8(m_captureDirectory) / captureName(source));
            if (error || !capture->open(path, m_options.timestamps)) {
                finish(RunStatus::BadInput, "cannot write the capture file " + utf8ToCp949(path));
                return;
            }
            m_result.files.push_back(path);
        }
        m_engine->router().addWatcher(source, capture.get());
    }
}

void UnitRun::flushCaptures()
{
    {
        std::lock_guard<std::recursive_mutex> lock(connectionLock());
        for (const auto& capture : m_captures)
            capture->flush();
    }
    m_timers.start(captureFlushPeriod, [this] { flushCaptures(); });
}

// A time limit for a phase: when it runs out in that phase, the session ends
// with the status (Done: the phase simply goes on, as the modem's silence
// after its initialisation does).
void UnitRun::limit(std::chrono::seconds limit, Phase phase, RunStatus status, std::string message)
{
    m_timers.start(limit, [this, phase, status, message = std::move(message)] {
        if (m_phase != phase)
            return;
        if (status == RunStatus::Done) {
            tell("the modem did not answer its initialisation");
            dial();
        } else {
            finish(status, message);
        }
    });
}

void UnitRun::dial()
{
    if (!m_target.entry) {
        m_phase = Phase::Working;
        startScript();
        return;
    }
    m_phase = Phase::Dialling;
    tell("dialling " + m_target.entry->number);
    // Each attempt of a redial has its time, and the pauses between them.
    const DialSettings dialSettings = m_settings.dialSettings();
    const auto allowed = dialLimit * (1 + dialSettings.redialCount)
        + std::chrono::seconds(dialSettings.redialIntervalSeconds) * dialSettings.redialCount;
    limit(std::chrono::duration_cast<std::chrono::seconds>(allowed), Phase::Dialling, RunStatus::DialFailed,
          "no result from the modem");
    m_engine->dial();
}

void UnitRun::modemLineReceived(const std::string& line)
{
    const std::string upper = upperCased(line);
    if (m_phase == Phase::Initialising && (upper.find("OK") != std::string::npos || upper.find("ERROR") != std::string::npos)) {
        // The modem has taken its initialisation; the dial goes after the
        // loop has shown this line.
        m_phase = Phase::Dialling;
        m_timers.post([this] { dial(); });
        return;
    }
    if (m_phase != Phase::Dialling || !m_engine->isDialling())
        return;
    if (upper.find("CONNECT") != std::string::npos) {
        tell("connected " + trimmed(line.substr(upper.find("CONNECT") + 7)));
        m_phase = Phase::LoggingIn;
        limit(loginLimit, Phase::LoggingIn, RunStatus::TimeLimit, "the unit did not answer the login");
    } else if (upper.find("BUSY") != std::string::npos || upper.find("NO") != std::string::npos) {
        // With redialling on (pinfo.dat) the engine counts down to the next
        // attempt; the dial has failed only when it does not.
        m_timers.post([this, result = trimmed(line)] {
            if (m_engine && m_engine->dialogue().isCountingDown())
                tell(result + ": dialling again in " + std::to_string(m_settings.dialSettings().redialIntervalSeconds)
                     + " s");
            else
                finish(RunStatus::DialFailed, result);
        });
    }
}

void UnitRun::replyReceived(const ReplyOutcome& outcome, RequestKind kind)
{
    if (m_script)
        m_script->replyReceived(outcome, kind);
    if (m_phase != Phase::LoggingIn || (kind != RequestKind::LoginId && kind != RequestKind::LoginPassword))
        return;
    if (outcome.kind == ReplyOutcome::Kind::Refused) {
        finish(RunStatus::LoginRefused, outcome.message);
    } else if (outcome.kind == ReplyOutcome::Kind::Accepted && kind == RequestKind::LoginPassword) {
        tell("logged in");
        m_phase = Phase::Working;
        // After the connection has shown its own message.
        m_timers.post([this] { startScript(); });
    }
}

void UnitRun::startScript()
{
    if (m_endDecided)
        return;
    if (!m_scriptText) {
        finish(RunStatus::Done, {});
        return;
    }
    ScriptHostValues values;
    if (m_target.entry)
        values = {m_target.entry->name, m_target.entry->number, m_target.entry->userId, m_target.entry->password};
    m_script = std::make_unique<ConnectionScript>(
        *m_engine, m_loop, *m_scriptText, values, [this](const std::string& line) { tell(line); },
        [this](const ScriptOutcome& outcome) {
            switch (outcome.kind) {
            case ScriptOutcome::Kind::Done:
                finish(RunStatus::Done, {});
                break;
            case ScriptOutcome::Kind::Failed:
                finish(RunStatus::ScriptFailed, outcome.message, outcome.exitCode);
                break;
            case ScriptOutcome::Kind::LineLost:
                finish(RunStatus::LineLost, outcome.message);
                break;
            case ScriptOutcome::Kind::ScriptError:
                finish(RunStatus::BadInput, outcome.message);
                break;
            case ScriptOutcome::Kind::Stopped:
                break;  // interrupt() has decided the end already
            }
        });
    m_script->start();
}

void UnitRun::showConnected(bool connected)
{
    if (m_script)
        m_script->connectionShown(connected);
    // The carrier went while the unit was being used, and nobody hung up.
    if (!connected && !m_hangUpAsked && (m_phase == Phase::LoggingIn || m_phase == Phase::Working) && !m_script)
        finish(RunStatus::LineLost, utf8ToCp949("연결이 끊어졌습니다."));
}

void UnitRun::lineLost()
{
    if (m_script)
        m_script->lineLost();
    finish(RunStatus::LineLost, "the port's device is gone");
}

void UnitRun::hangUpFinished()
{
    if (m_script)
        m_script->hangUpFinished();
    tell("hung up");
}

void UnitRun::choosePhoneEntry(QuestionId id)
{
    m_engine->answerPhoneEntry(id, m_target.entry);
}

void UnitRun::askLogin(QuestionId id, const std::string&, const std::string&, const std::string&)
{
    // A refused login is not retried: a wrong password does not get better.
    m_engine->answerLogin(id, std::nullopt);
}

void UnitRun::askPortSettings(QuestionId id, int, const std::array<std::string, remotePortCount>&)
{
    m_engine->answerPortSettings(id, std::nullopt);
}

void UnitRun::interrupt(RunStatus why)
{
    tell(why == RunStatus::Interrupted ? "interrupted: hanging up" : "terminated: hanging up");
    if (m_script)
        m_script->stop();
    finish(why, {});
}

void UnitRun::abortNow()
{
    if (m_phase == Phase::Ended)
        return;
    if (m_engine)
        m_engine->abandon();
    close();
}

void UnitRun::finish(RunStatus status, std::string message, int exitCode)
{
    if (m_endDecided)
        return;
    m_endDecided = true;
    m_result.end = RunEnd::of(status);
    if (exitCode >= 0)
        m_result.end.exitCode = exitCode;
    m_result.message = std::move(message);
    if (status != RunStatus::Done && !m_result.message.empty())
        tell(std::string(runStatusName(status)) + ": " + m_result.message);
    if (m_script && m_script->runner().running())
        m_script->stop();
    m_phase = Phase::Ending;
    m_endingSince = std::chrono::steady_clock::now();
    // What the engine is doing for the input that decided this goes first.
    m_timers.post([this] { endStep(); });
}

// Ends every path alike: a dial is cancelled and a connection hung up, then
// what was written is sent and the port closed.
void UnitRun::endStep()
{
    if (m_phase == Phase::Ended)
        return;
    const bool late = std::chrono::steady_clock::now() - m_endingSince > endingLimit;
    const auto again = [this] { m_timers.start(std::chrono::milliseconds(50), [this] { endStep(); }); };
    if (!m_engine || !m_engine->port().isOpen() || m_engine->port().lineLost() || late) {
        close();
        return;
    }
    if (m_engine->isBusy()) {
        again();
        return;
    }
    if (m_engine->isDialling() && !m_cancelAsked) {
        m_cancelAsked = true;
        tell("cancelling the dial");
        m_engine->cancelDial();
        again();
        return;
    }
    if (m_engine->isConnected() && !m_hangUpAsked) {
        m_hangUpAsked = true;
        tell("hanging up");
        m_engine->hangUp();
        again();
        return;
    }
    // Closing destroys the engine, so not from inside its output's call.
    m_engine->whenOutputSent([this] { m_timers.post([this] { close(); }); });
    m_timers.start(std::chrono::seconds(3), [this] { close(); });  // a line that takes nothing
}

void UnitRun::close()
{
    if (m_phase == Phase::Ended)
        return;
    m_phase = Phase::Ended;
    m_timers.cancelAll();
    m_script.reset();
    if (m_engine) {
        m_engine->abandon();
        m_engine->stopReader();
    }
    {
        std::lock_guard<std::recursive_mutex> lock(connectionLock());
        for (std::size_t i = 0; i < m_captures.size(); ++i) {
            if (!m_captures[i])
                continue;
            m_result.bytes[i] = m_captures[i]->byteCount();
            if (!m_captures[i]->close())
                tell("could not write all of " + m_captures[i]->path());
            if (m_engine)
                m_engine->router().removeWatcher(m_captures[i].get());
        }
    }
    m_engine.reset();  // closes the port
    tell("port " + m_options.port + " closed");
    m_result.ended = std::chrono::system_clock::now();
    if (!m_endDecided) {
        m_endDecided = true;
        m_result.end = RunEnd::of(RunStatus::Done);
    }
    // The owner may destroy this run when told.
    m_loop.post([finished = m_finished, result = m_result] { finished(result); });
}

#include "script/ScriptRunner.h"

#include <variant>

#include "base/TextCodec.h"
#include "script/Cp949Bytes.h"
#include "script/ScriptDescription.h"
#include "script/ScriptEncoding.h"
#include "script/ScriptFile.h"
#include "script/ScriptLimits.h"

namespace {

// Log lines may be long; anything longer still stays one line.
constexpr std::size_t logLineBytes = 1000;

void trimTrailingBlanks(std::string& text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
}

// The characters of a text, each one or two bytes.
std::vector<std::string> characters(std::string_view text)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const bool pair = isCp949Lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size()
            && isCp949Trail(static_cast<unsigned char>(text[i + 1]));
        const std::size_t width = pair ? 2 : 1;
        out.emplace_back(text.substr(i, width));
        i += width;
    }
    return out;
}

// The lines of a file as sendfile sends them: without line ends, blank ones left out.
std::vector<std::string> fileLines(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string line(text.substr(0, end));
        if (line.ends_with('\r'))
            line.pop_back();
        trimTrailingBlanks(line);
        if (!line.empty())
            lines.push_back(std::move(line));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

}  // namespace

ScriptRunner::ScriptRunner(Script script, ScriptHost& host, EventLoop& loop, const ScriptHostValues& values,
                           Finished finished)
    : m_script(std::move(script))
    , m_host(host)
    , m_timers(loop)
    , m_finished(std::move(finished))
    , m_variables(values)
    , m_mask(values.password)
{
}

void ScriptRunner::start()
{
    if (m_started || m_outcome)
        return;
    m_started = true;
    run();
}

int ScriptRunner::currentLine() const
{
    if (!running() || m_next >= m_script.statements.size())
        return 0;
    return m_script.statements[m_next].line;
}

// ---- inputs

void ScriptRunner::shown(int source, std::string_view bytes)
{
    if (!running() || source < scriptLocalLine || source >= remotePortCount)
        return;
    SourceText& text = m_texts[sourceIndex(source)];
    text.append(bytes);
    if (m_waiting == Waiting::Text && m_waitSource == source) {
        if (const std::optional<std::size_t> pattern = text.findMatch(m_patterns)) {
            endWait();
            textMatched(*pattern);
            run();
        }
    }
    text.keepWithinLimit();
}

void ScriptRunner::portAnswered(int port, PortAnswer answer)
{
    if (!running() || m_waiting != Waiting::Answer || port != m_answerPort)
        return;
    endWait();
    const int line = currentLine();
    setMatch(answer == PortAnswer::Accepted ? 1 : 0);
    const std::string name = "port " + std::to_string(port);
    const char* what = "";
    switch (m_portCommand) {
    case PortCommand::Connect:
        what = answer == PortAnswer::Accepted ? " on" : answer == PortAnswer::Busy ? " busy" : " refused to connect";
        break;
    case PortCommand::Disconnect:
        what = answer == PortAnswer::Accepted ? " off" : " refused to disconnect";
        break;
    case PortCommand::Configure:
        what = answer == PortAnswer::Accepted ? " settings changed" : " refused the settings";
        break;
    }
    tell(line, name + what + " ($match " + (answer == PortAnswer::Accepted ? "1)" : "0)"));
    ++m_next;
    run();
}

void ScriptRunner::hungUp()
{
    if (!running())
        return;
    if (m_waiting != Waiting::HangUp) {
        lineLost();
        return;
    }
    endWait();
    m_hungUpByScript = true;
    ++m_next;
    run();
}

void ScriptRunner::lineLost()
{
    if (!running())
        return;
    if (m_waiting == Waiting::HangUp) {
        hungUp();
        return;
    }
    // What follows the script's own hang-up is no loss.
    if (m_hungUpByScript)
        return;
    finish(ScriptOutcome::Kind::LineLost, 0, currentLine(), "the line was lost");
}

void ScriptRunner::stop()
{
    finish(ScriptOutcome::Kind::Stopped, 0, currentLine(), "stopped by the operator");
}

// ---- the steps

void ScriptRunner::run()
{
    if (m_inRun || !m_started)
        return;
    m_inRun = true;
    // Only callbacks from the loop and the host's inputs come here: each is a wait that ended.
    m_stepsWithoutWait = 0;
    m_bytesWithoutWait = 0;
    while (!m_outcome && m_waiting == Waiting::Nothing) {
        if (m_next >= m_script.statements.size()) {
            finish(ScriptOutcome::Kind::Done, 0, 0, {});
            break;
        }
        const ScriptStatement& statement = m_script.statements[m_next];
        if (++m_stepsWithoutWait > scriptLimits::maxStepsWithoutWait) {
            runtimeError(statement.line, "more than " + std::to_string(scriptLimits::maxStepsWithoutWait)
                                             + " steps without waiting for anything; a loop needs a wait or an "
                                               "expect");
            break;
        }
        if (m_file)
            continueFile(statement.line);
        else
            std::visit([&](const auto& command) { step(statement.line, command); }, statement.command);
    }
    m_inRun = false;
}

void ScriptRunner::step(int line, const ConnectCommand& command)
{
    portCommand(line, PortCommand::Connect, command.port, command.timeout, {});
}

void ScriptRunner::step(int line, const DisconnectCommand& command)
{
    portCommand(line, PortCommand::Disconnect, command.port, command.timeout, {});
}

void ScriptRunner::step(int line, const ConfigureCommand& command)
{
    portCommand(line, PortCommand::Configure, command.port, command.timeout, command.settingsText);
}

void ScriptRunner::portCommand(int line, PortCommand kind, int port, ScriptDuration timeout,
                               const std::string& settings)
{
    const std::string name = kind == PortCommand::Connect  ? "connect"
        : kind == PortCommand::Disconnect                  ? "disconnect"
                                                           : "configure";
    if (!needsLink(line, port, name))
        return;
    const std::string shown = name + " " + std::to_string(port) + (settings.empty() ? "" : " " + settings);
    if (!tell(line, shown))
        return;
    m_portCommand = kind;
    m_answerPort = port;
    waitFor(Waiting::Answer, timeout, [this, line, shown, timeout] {
        finish(ScriptOutcome::Kind::Failed, 1, line,
               "no answer from the unit to " + shown + " within " + durationText(timeout));
    });
    if (m_outcome)
        return;
    if (kind == PortCommand::Connect)
        m_host.connectPort(port);
    else if (kind == PortCommand::Disconnect)
        m_host.disconnectPort(port);
    else
        m_host.configurePort(port, settings);
}

void ScriptRunner::step(int line, const SendCommand& command)
{
    std::string fault;
    std::optional<std::string> text = m_variables.expand(command.text, fault);
    if (!text)
        return runtimeError(line, fault);
    const std::string name = command.raw ? "sendraw" : "send";
    if (!needsLink(line, command.source, name))
        return;
    if (!command.raw)
        trimTrailingBlanks(*text);
    if (!tell(line, name + " " + sourceName(command.source) + " " + quotedForProgress(m_mask.masked(*text))))
        return;
    // The send bar sends nothing for an empty local line; nor does a script.
    if (text->empty() && (command.raw || command.source == scriptLocalLine)) {
        ++m_next;
        return;
    }
    startOutput(line, command.source, *text, command.raw);
}

void ScriptRunner::step(int line, const ExpectCommand& command)
{
    std::vector<std::string> patterns;
    std::string shown;
    for (const ScriptText& pattern : command.patterns) {
        std::string fault;
        std::optional<std::string> text = m_variables.expand(pattern, fault);
        if (!text)
            return runtimeError(line, fault);
        if (text->empty())
            return runtimeError(line, "expect: pattern " + std::to_string(patterns.size() + 1)
                                          + " is empty once its variables are put in");
        shown += " " + quotedForProgress(m_mask.masked(*text));
        patterns.push_back(std::move(*text));
    }
    if (!tell(line, "expect " + sourceName(command.source) + shown + " (" + durationText(command.timeout) + ")"))
        return;
    m_patterns = std::move(patterns);
    m_waitSource = command.source;
    m_waitLimit = command.timeout;
    SourceText& text = m_texts[sourceIndex(command.source)];
    text.beginSearch();
    if (const std::optional<std::size_t> pattern = text.findMatch(m_patterns)) {
        textMatched(*pattern);
        return;
    }
    waitFor(Waiting::Text, command.timeout, [this] { textTimedOut(); });
}

void ScriptRunner::step(int line, const IfCommand& command)
{
    std::string fault;
    const std::optional<ScriptValue> left = m_variables.evaluate(command.left, fault);
    const std::optional<ScriptValue> right = left ? m_variables.evaluate(command.right, fault) : std::nullopt;
    const std::optional<bool> holds = right ? compareValues(*left, command.comparison, *right, fault) : std::nullopt;
    if (!holds)
        return runtimeError(line, "if: " + fault);
    if (!*holds) {
        ++m_next;
        return;
    }
    std::visit([&](const auto& action) { step(line, action); }, command.action);
}

void ScriptRunner::step(int line, const WaitCommand& command)
{
    tell(line, "wait " + durationText(command.duration));
    waitFor(Waiting::Timer, command.duration, [this] { ++m_next; });
}

void ScriptRunner::step(int line, const PaceCommand& command)
{
    m_pace[sourceIndex(command.source)] = Pace{command.perCharacter, command.perLine};
    tell(line, "pace " + sourceName(command.source) + " " + durationText(command.perCharacter) + " "
                   + durationText(command.perLine));
    ++m_next;
}

void ScriptRunner::step(int line, const SendFileCommand& command)
{
    std::string fault;
    const std::optional<std::string> name = m_variables.expand(command.file, fault);
    const std::optional<std::string> prompt = name ? m_variables.expand(command.prompt, fault) : std::nullopt;
    if (!prompt)
        return runtimeError(line, fault);
    if (prompt->empty())
        return runtimeError(line, "sendfile: the prompt is empty once its variables are put in");
    if (!needsLink(line, command.source, "sendfile"))
        return;
    std::filesystem::path path(cp949ToUtf8(*name));
    if (path.is_relative())
        path = m_script.directory / path;
    const std::string quotedName = quotedForProgress(m_mask.masked(*name));
    const BoundedFile file = readBoundedFile(path, scriptLimits::maxSendFileBytes);
    if (!file.fault.empty())
        return runtimeError(line, "sendfile: cannot read " + quotedName + ": " + file.fault);
    const auto decoded = decodeScriptBytes(file.bytes);
    if (const auto* bad = std::get_if<DecodeFault>(&decoded))
        return runtimeError(line, "sendfile: " + quotedName + " line " + std::to_string(bad->line) + ": "
                                      + bad->message);
    std::vector<std::string> lines = fileLines(std::get<DecodedText>(decoded).cp949);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > scriptLimits::maxTextBytes)
            return runtimeError(line, "sendfile: " + quotedName + " has a line longer than "
                                          + std::to_string(scriptLimits::maxTextBytes) + " bytes");
    }
    if (!tell(line, "sendfile " + sourceName(command.source) + " " + quotedName + " ("
                        + std::to_string(lines.size()) + " lines) prompt " + quotedForProgress(m_mask.masked(*prompt))))
        return;
    m_file = FileSending{command.source, std::move(lines), 0, false, *prompt, command.timeout};
}

void ScriptRunner::continueFile(int line)
{
    FileSending& file = *m_file;
    if (file.awaitingPrompt) {
        m_patterns = {file.prompt};
        m_waitSource = file.source;
        m_waitLimit = file.timeout;
        SourceText& text = m_texts[sourceIndex(file.source)];
        text.beginSearch();
        if (text.findMatch(m_patterns)) {
            textMatched(0);
            return;
        }
        waitFor(Waiting::Text, file.timeout, [this] { textTimedOut(); });
        return;
    }
    if (file.next == file.lines.size()) {
        setMatch(1);
        tell(line, "sendfile: " + std::to_string(file.lines.size()) + " lines sent ($match 1)");
        m_file.reset();
        ++m_next;
        return;
    }
    const std::string& text = file.lines[file.next];
    if (!tell(line, "sendfile line " + std::to_string(file.next + 1) + " of " + std::to_string(file.lines.size())
                        + ": " + quotedForProgress(m_mask.masked(text))))
        return;
    file.awaitingPrompt = true;
    startOutput(line, file.source, text, false);
}

void ScriptRunner::step(int line, const SetCommand& command)
{
    std::string fault;
    std::optional<ScriptValue> value = m_variables.evaluate(command.value, fault);
    if (!value)
        return runtimeError(line, "set: " + fault);
    if (command.arithmetic) {
        const std::optional<ScriptValue> operand = m_variables.evaluate(command.operand, fault);
        if (!operand)
            return runtimeError(line, "set: " + fault);
        const std::optional<std::int64_t> a = value->integer();
        const std::optional<std::int64_t> b = operand->integer();
        if (!a || !b)
            return runtimeError(line, std::string("set: ") + command.arithmetic + " needs two integers, found \""
                                          + m_mask.masked((a ? *operand : *value).text()).substr(0, 40) + "\"");
        std::int64_t result = 0;
        const bool overflow = command.arithmetic == '+' ? __builtin_add_overflow(*a, *b, &result)
                                                        : __builtin_sub_overflow(*a, *b, &result);
        if (overflow)
            return runtimeError(line, "set: the result is too large for an integer");
        value = ScriptValue{result};
    }
    m_variables.set(command.name, std::move(*value));
    ++m_next;
}

void ScriptRunner::step(int, const GotoCommand& command)
{
    m_next = command.target;
}

void ScriptRunner::step(int line, const HangUpCommand& command)
{
    if (!m_host.linkUp()) {
        tell(line, "hangup: the line is not connected");
        ++m_next;
        return;
    }
    if (!tell(line, "hangup"))
        return;
    waitFor(Waiting::HangUp, command.timeout, [this, line, timeout = command.timeout] {
        finish(ScriptOutcome::Kind::Failed, 1, line, "the line was not hung up within " + durationText(timeout));
    });
    if (!m_outcome)
        m_host.hangUp();
}

void ScriptRunner::step(int line, const LogCommand& command)
{
    std::string fault;
    const std::optional<std::string> text = m_variables.expand(command.text, fault);
    if (!text)
        return runtimeError(line, fault);
    tell(line, escapedForProgress(m_mask.masked(*text), logLineBytes));
    ++m_next;
}

void ScriptRunner::step(int line, const FailCommand& command)
{
    std::string fault;
    const std::optional<std::string> message = m_variables.expand(command.message, fault);
    if (!message)
        return runtimeError(line, fault);
    tell(line, "fail " + quotedForProgress(m_mask.masked(*message)));
    finish(ScriptOutcome::Kind::Failed, 1, line, *message);
}

void ScriptRunner::step(int line, const ExitCommand& command)
{
    tell(line, "exit " + std::to_string(command.code));
    if (command.code == 0)
        finish(ScriptOutcome::Kind::Done, 0, line, {});
    else
        finish(ScriptOutcome::Kind::Failed, command.code, line, "exit " + std::to_string(command.code));
}

// ---- output and waits

bool ScriptRunner::needsLink(int line, int source, std::string_view command)
{
    if (source == scriptLocalLine || m_host.linkUp())
        return true;
    runtimeError(line, std::string(command) + " " + std::to_string(source)
                           + " needs the link to the unit, and it is not up (nothing was dialled, or the line "
                             "was hung up)");
    return false;
}

void ScriptRunner::startOutput(int line, int source, const std::string& text, bool raw)
{
    if (!countSent(line, text.size() + (raw ? 0 : 1)))
        return;
    const Pace pace = m_pace[sourceIndex(source)];
    m_outputSource = source;
    m_outbox.clear();
    if (pace.perCharacter.count() == 0) {
        m_outbox.push_back(Chunk{!raw, text, pace.perLine});
    } else {
        // Typed a character at a time, as slow equipment needs it: a remote
        // port gets one data frame per character, CR last.
        for (std::string& character : characters(text))
            m_outbox.push_back(Chunk{false, std::move(character), pace.perCharacter});
        if (!raw)
            m_outbox.push_back(Chunk{false, "\r", pace.perCharacter});
        m_outbox.back().pauseAfter = pace.perLine;
    }
    sendNextChunk();
}

void ScriptRunner::sendNextChunk()
{
    const Chunk chunk = std::move(m_outbox.front());
    m_outbox.pop_front();
    if (chunk.line)
        m_host.sendLine(m_outputSource, chunk.bytes);
    else
        m_host.sendRaw(m_outputSource, chunk.bytes);
    if (m_outcome)
        return;
    const auto outputDone = [this] {
        // A file line goes on to its prompt; a send is complete.
        if (!m_file)
            ++m_next;
    };
    if (m_outbox.empty() && chunk.pauseAfter.count() == 0) {
        outputDone();
        return;
    }
    waitFor(Waiting::Output, chunk.pauseAfter, [this, outputDone] {
        if (m_outbox.empty())
            outputDone();
        else
            sendNextChunk();
    });
}

void ScriptRunner::textMatched(std::size_t pattern)
{
    if (m_file) {
        ++m_file->next;
        m_file->awaitingPrompt = false;
        return;
    }
    setMatch(static_cast<std::int64_t>(pattern) + 1);
    tell(currentLine(), "got " + quotedForProgress(m_mask.masked(m_patterns[pattern])) + " ($match "
                            + std::to_string(pattern + 1) + ")");
    ++m_next;
}

void ScriptRunner::textTimedOut()
{
    const int line = currentLine();
    setMatch(0);
    if (m_file) {
        tell(line, "sendfile: no prompt " + quotedForProgress(m_mask.masked(m_file->prompt)) + " within "
                       + durationText(m_waitLimit) + " after line " + std::to_string(m_file->next + 1) + " of "
                       + std::to_string(m_file->lines.size()) + " ($match 0)");
        m_file.reset();
    } else {
        tell(line, "nothing expected came within " + durationText(m_waitLimit) + " ($match 0)");
    }
    ++m_next;
}

void ScriptRunner::waitFor(Waiting what, ScriptDuration limit, std::function<void()> timedOut)
{
    if (m_outcome)
        return;
    m_waiting = what;
    m_timer = m_timers.start(limit, [this, timedOut = std::move(timedOut)] {
        m_timer = 0;
        m_waiting = Waiting::Nothing;
        timedOut();
        run();
    });
}

void ScriptRunner::endWait()
{
    if (m_timer != 0)
        m_timers.cancel(m_timer);
    m_timer = 0;
    m_waiting = Waiting::Nothing;
}

bool ScriptRunner::countSent(int line, std::size_t bytes)
{
    m_bytesWithoutWait += bytes;
    if (m_bytesWithoutWait <= scriptLimits::maxBytesWithoutWait)
        return true;
    runtimeError(line, "more than " + std::to_string(scriptLimits::maxBytesWithoutWait)
                           + " bytes sent without waiting for anything; a loop needs a wait or an expect");
    return false;
}

// ---- telling and ending

bool ScriptRunner::tell(int line, const std::string& what)
{
    m_host.progress("script line " + std::to_string(line) + ": " + what);
    return !m_outcome;
}

void ScriptRunner::setMatch(std::int64_t value)
{
    m_variables.set(matchVariable, ScriptValue{value});
}

void ScriptRunner::finish(ScriptOutcome::Kind kind, int exitCode, int line, std::string message)
{
    if (m_outcome)
        return;
    m_timers.cancelAll();
    m_timer = 0;
    m_waiting = Waiting::Nothing;
    m_outbox.clear();
    m_file.reset();
    m_outcome = ScriptOutcome{kind, exitCode, line, m_mask.masked(message)};
    if (m_finished) {
        m_timers.post([this] {
            // The owner may destroy the runner inside the call: nothing of it is touched after.
            const Finished finished = m_finished;
            const ScriptOutcome outcome = *m_outcome;
            finished(outcome);
        });
    }
}

void ScriptRunner::runtimeError(int line, std::string message)
{
    finish(ScriptOutcome::Kind::ScriptError, 0, line, ScriptError{m_script.file, line, std::move(message)}.text());
}

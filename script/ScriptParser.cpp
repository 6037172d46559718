#include "script/ScriptParser.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <map>
#include <set>

#include "script/ScriptEncoding.h"
#include "script/ScriptLimits.h"
#include "script/ScriptLine.h"
#include "script/ScriptVariables.h"

namespace {

// The remote port settings dialog's lists: configure accepts exactly what the
// dialog can send (tests compare them with the dialog's own).
constexpr std::array<std::string_view, 7> speedItems{"2400", "4800", "9600", "19200", "38400", "57600", "115200"};
constexpr std::array<std::string_view, 2> dataBitsItems{"7", "8"};
constexpr std::array<std::string_view, 3> parityItems{"even", "odd", "none"};
constexpr std::array<std::string_view, 2> stopBitsItems{"1", "2"};
constexpr std::array<std::string_view, 2> flowItems{"hardware", "none"};

constexpr std::string_view commandNames =
    "connect, disconnect, configure, send, sendraw, expect, if, wait, pace, sendfile, set, goto, hangup, log, "
    "fail or exit";

template <std::size_t n>
std::string listed(const std::array<std::string_view, n>& items)
{
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        out += i == 0 ? "" : i + 1 == n ? " or " : ", ";
        out += items[i];
    }
    return out;
}

std::string quotedName(std::string_view text)
{
    return "\"" + std::string(text.substr(0, 40)) + (text.size() > 40 ? "...\"" : "\"");
}

struct Reference {
    std::string name;
    int line = 0;
};

// The tokens of one command line, read left to right. The first fault is kept
// and every later read returns a harmless default, so a command's parser reads
// straight through and the caller looks at fault() once.
class LineReader {
public:
    LineReader(std::vector<ScriptToken> tokens, int line, std::vector<Reference>& references)
        : m_tokens(std::move(tokens))
        , m_line(line)
        , m_references(references)
    {
    }

    const std::string& fault() const { return m_fault; }
    const std::string& command() const { return m_tokens.front().spelling; }
    bool atEnd() const { return m_next >= m_tokens.size(); }
    bool nextIsWord(std::string_view word) const
    {
        return !atEnd() && !m_tokens[m_next].quoted && m_tokens[m_next].spelling == word;
    }

    void expected(std::string_view what)
    {
        if (!m_fault.empty())
            return;
        m_fault = command() + ": expected " + std::string(what) + ", found "
            + (atEnd()                      ? std::string("the end of the line")
                   : m_tokens[m_next].quoted ? "the quoted text " + m_tokens[m_next].spelling.substr(0, 40)
                                             : quotedName(m_tokens[m_next].spelling));
    }
    void faultAtPrevious(std::string message)
    {
        if (m_fault.empty())
            m_fault = command() + ": " + std::move(message);
    }

    const ScriptToken* take()
    {
        if (!m_fault.empty() || atEnd())
            return nullptr;
        return &m_tokens[m_next++];
    }
    const std::string* word(std::string_view what)
    {
        if (!m_fault.empty() || atEnd() || m_tokens[m_next].quoted) {
            expected(what);
            return nullptr;
        }
        return &m_tokens[m_next++].spelling;
    }

    int port()
    {
        const std::string* spelling = word("a port (0 to 3)");
        if (!spelling)
            return 0;
        if (spelling->size() == 1 && (*spelling)[0] >= '0' && (*spelling)[0] <= '3')
            return (*spelling)[0] - '0';
        --m_next;
        expected("a port (0 to 3)");
        return 0;
    }
    // A remote port or the local line (-1).
    int source()
    {
        if (nextIsWord("local")) {
            ++m_next;
            return -1;
        }
        if (!m_fault.empty() || atEnd() || m_tokens[m_next].quoted || m_tokens[m_next].spelling.size() != 1
            || m_tokens[m_next].spelling[0] < '0' || m_tokens[m_next].spelling[0] > '3') {
            expected("a port (0 to 3) or local");
            return 0;
        }
        return m_tokens[m_next++].spelling[0] - '0';
    }

    ScriptText text(std::string_view what, bool mayBeEmpty = true)
    {
        if (!m_fault.empty() || atEnd() || !m_tokens[m_next].quoted) {
            expected(what);
            return {};
        }
        const ScriptText& text = m_tokens[m_next].text;
        if (!mayBeEmpty && text.empty()) {
            expected(std::string(what) + " that is not empty");
            return {};
        }
        std::size_t literal = 0;
        for (const TextPiece& piece : text) {
            if (piece.variable)
                m_references.push_back(Reference{piece.bytes, m_line});
            else
                literal += piece.bytes.size();
        }
        if (literal > scriptLimits::maxTextBytes) {
            expected("a text of at most " + std::to_string(scriptLimits::maxTextBytes) + " bytes");
            return {};
        }
        ++m_next;
        return text;
    }

    ScriptDuration duration(std::string_view what = "a duration such as 500ms, 10s or 2m")
    {
        const std::string* spelling = word(what);
        if (!spelling)
            return {};
        std::int64_t count = 0;
        const char* end = spelling->data() + spelling->size();
        const auto [unit, error] = std::from_chars(spelling->data(), end, count);
        const std::string_view suffix(unit, static_cast<std::size_t>(end - unit));
        static const std::map<std::string_view, std::int64_t> unitMs{
            {"ms", 1}, {"s", 1000}, {"m", 60'000}, {"h", 3'600'000}};
        const auto found = unitMs.find(suffix);
        const std::int64_t limit = scriptLimits::maxDuration.count();
        if (error != std::errc() || unit == spelling->data() || count < 0 || found == unitMs.end()
            || count > limit / found->second) {
            --m_next;
            expected(std::string(what) + " (ms, s, m or h, at most 24h)");
            return {};
        }
        return ScriptDuration(count * found->second);
    }
    // An optional "timeout D" at the end of a command.
    ScriptDuration timeout(ScriptDuration fallback)
    {
        if (!nextIsWord("timeout"))
            return fallback;
        ++m_next;
        return duration("a time limit such as 10s after timeout");
    }

    std::int64_t integer(std::string_view what, std::int64_t low, std::int64_t high)
    {
        const std::string* spelling = word(what);
        if (!spelling)
            return 0;
        std::int64_t value = 0;
        const char* end = spelling->data() + spelling->size();
        const auto [stop, error] = std::from_chars(spelling->data(), end, value);
        if (error != std::errc() || stop != end || value < low || value > high) {
            --m_next;
            expected(what);
            return 0;
        }
        return value;
    }

    ScriptOperand operand()
    {
        ScriptOperand operand;
        if (!m_fault.empty() || atEnd()) {
            expected("a number, a quoted text or $name");
            return operand;
        }
        const ScriptToken& token = m_tokens[m_next];
        if (token.quoted) {
            operand.kind = ScriptOperand::Kind::Text;
            operand.text = text("a quoted text");
        } else if (token.spelling.starts_with('$')) {
            const std::string name = token.spelling.substr(1);
            if (!isScriptName(name)) {
                expected("a variable name after $");
                return operand;
            }
            operand.kind = ScriptOperand::Kind::Variable;
            operand.name = name;
            m_references.push_back(Reference{name, m_line});
            ++m_next;
        } else {
            operand.integer = integer("a number, a quoted text or $name", -999'999'999'999'999'999,
                                      999'999'999'999'999'999);
        }
        return operand;
    }

    template <std::size_t n>
    std::string_view oneOf(const std::array<std::string_view, n>& items, std::string_view what)
    {
        const std::string* spelling = word(what);
        if (!spelling)
            return {};
        const auto found = std::find(items.begin(), items.end(), *spelling);
        if (found == items.end()) {
            --m_next;
            expected(std::string(what) + " (" + listed(items) + ")");
            return {};
        }
        return *found;
    }

    void end()
    {
        if (!atEnd())
            expected("the end of the line");
    }

private:
    std::vector<ScriptToken> m_tokens;
    std::size_t m_next = 1;  // after the command word
    int m_line;
    std::vector<Reference>& m_references;
    std::string m_fault;
};

ConfigureCommand readConfigure(LineReader& in)
{
    ConfigureCommand command;
    command.port = in.port();
    const std::array<std::string_view, 5> fields{
        in.oneOf(speedItems, "a speed"), in.oneOf(dataBitsItems, "data bits"), in.oneOf(parityItems, "a parity"),
        in.oneOf(stopBitsItems, "stop bits"), in.oneOf(flowItems, "a flow control")};
    for (const std::string_view field : fields)
        command.settingsText += (command.settingsText.empty() ? "" : " ") + std::string(field);
    command.timeout = in.timeout(scriptLimits::portAnswerTimeout);
    return command;
}

ExpectCommand readExpect(LineReader& in)
{
    ExpectCommand command;
    command.source = in.source();
    do {
        if (command.patterns.size() == scriptLimits::maxPatterns) {
            in.expected("at most " + std::to_string(scriptLimits::maxPatterns) + " patterns");
            break;
        }
        command.patterns.push_back(in.text("a quoted pattern", false));
    } while (in.fault().empty() && !in.atEnd() && !in.nextIsWord("timeout"));
    command.timeout = in.timeout(scriptLimits::expectTimeout);
    return command;
}

Comparison readComparison(LineReader& in)
{
    static const std::map<std::string_view, Comparison> comparisons{
        {"==", Comparison::Equal}, {"!=", Comparison::NotEqual},     {"<", Comparison::Less},
        {">", Comparison::Greater}, {"<=", Comparison::LessOrEqual}, {">=", Comparison::GreaterOrEqual}};
    const std::string* spelling = in.word("a comparison (== != < > <= >=)");
    if (!spelling)
        return Comparison::Equal;
    const auto found = comparisons.find(*spelling);
    if (found != comparisons.end())
        return found->second;
    in.faultAtPrevious("expected a comparison (== != < > <= >=), found " + quotedName(*spelling));
    return Comparison::Equal;
}

ExitCommand readExit(LineReader& in)
{
    return ExitCommand{static_cast<int>(in.integer(
        "an exit status from 0 to " + std::to_string(scriptLimits::maxExitCode), 0, scriptLimits::maxExitCode))};
}

GotoCommand readGoto(LineReader& in)
{
    const std::string* label = in.word("a label");
    if (label && !isScriptName(*label))
        in.faultAtPrevious("expected a label name (letters, digits and _), found " + quotedName(*label));
    return GotoCommand{label ? *label : std::string(), 0};
}

IfCommand readIf(LineReader& in)
{
    IfCommand command;
    command.left = in.operand();
    command.comparison = readComparison(in);
    command.right = in.operand();
    const bool ordering = command.comparison != Comparison::Equal && command.comparison != Comparison::NotEqual;
    if (ordering
        && (command.left.kind == ScriptOperand::Kind::Text || command.right.kind == ScriptOperand::Kind::Text))
        in.faultAtPrevious("< > <= >= compare numbers; expected a number or $name, found a quoted text");
    if (in.nextIsWord("goto")) {
        in.take();
        command.action = readGoto(in);
    } else if (in.nextIsWord("fail")) {
        in.take();
        command.action = FailCommand{in.text("a quoted message after fail")};
    } else if (in.nextIsWord("exit")) {
        in.take();
        command.action = readExit(in);
    } else {
        in.expected("goto, fail or exit after the comparison");
    }
    return command;
}

SetCommand readSet(LineReader& in)
{
    SetCommand command;
    const std::string* name = in.word("a variable name");
    if (name && !isScriptName(*name)) {
        in.faultAtPrevious("expected a variable name (letters, digits and _, at most "
                           + std::to_string(scriptLimits::maxNameBytes) + " bytes), found " + quotedName(*name));
    } else if (name && (*name == matchVariable
                        || std::find(hostVariableNames.begin(), hostVariableNames.end(), *name)
                            != hostVariableNames.end())) {
        in.faultAtPrevious(*name + " is given by the program and cannot be set");
    }
    command.name = name ? *name : std::string();
    command.value = in.operand();
    if (in.nextIsWord("+") || in.nextIsWord("-")) {
        command.arithmetic = in.take()->spelling[0];
        command.operand = in.operand();
        if (command.value.kind == ScriptOperand::Kind::Text || command.operand.kind == ScriptOperand::Kind::Text)
            in.faultAtPrevious("+ and - work on numbers; expected a number or $name, found a quoted text");
    }
    return command;
}

SendFileCommand readSendFile(LineReader& in)
{
    SendFileCommand command;
    command.source = in.source();
    command.file = in.text("a quoted file name", false);
    if (!in.nextIsWord("prompt"))
        in.expected("prompt and the quoted prompt to wait for after each line");
    in.take();
    command.prompt = in.text("a quoted prompt", false);
    command.timeout = in.timeout(scriptLimits::promptTimeout);
    return command;
}

std::optional<ScriptCommand> readCommand(LineReader& in)
{
    const std::string& name = in.command();
    if (name == "connect") {
        const int port = in.port();
        return ConnectCommand{port, in.timeout(scriptLimits::portAnswerTimeout)};
    }
    if (name == "disconnect") {
        const int port = in.port();
        return DisconnectCommand{port, in.timeout(scriptLimits::portAnswerTimeout)};
    }
    if (name == "configure")
        return readConfigure(in);
    if (name == "send" || name == "sendraw") {
        const int source = in.source();
        return SendCommand{source, in.text("a quoted text"), name == "sendraw"};
    }
    if (name == "expect")
        return readExpect(in);
    if (name == "if")
        return readIf(in);
    if (name == "wait")
        return WaitCommand{in.duration()};
    if (name == "pace") {
        PaceCommand command;
        command.source = in.source();
        command.perCharacter = in.duration("a delay per character such as 10ms");
        command.perLine = in.duration("a delay per line such as 200ms");
        return command;
    }
    if (name == "sendfile")
        return readSendFile(in);
    if (name == "set")
        return readSet(in);
    if (name == "goto")
        return readGoto(in);
    if (name == "hangup")
        return HangUpCommand{in.timeout(scriptLimits::hangUpTimeout)};
    if (name == "log")
        return LogCommand{in.text("a quoted text")};
    if (name == "fail")
        return FailCommand{in.text("a quoted message")};
    if (name == "exit")
        return readExit(in);
    return std::nullopt;
}

class Parser {
public:
    explicit Parser(std::string_view fileName)
        : m_file(fileName)
    {
    }

    std::optional<ScriptError> line(int number, std::string_view text)
    {
        if (text.size() > scriptLimits::maxLineBytes)
            return error(number, "the line is longer than " + std::to_string(scriptLimits::maxLineBytes) + " bytes");
        auto split = splitScriptLine(text);
        if (auto* fault = std::get_if<std::string>(&split))
            return error(number, *fault);
        auto& tokens = std::get<std::vector<ScriptToken>>(split);
        if (tokens.empty())
            return std::nullopt;
        const ScriptToken& first = tokens.front();
        if (!first.quoted && first.spelling.ends_with(':'))
            return label(number, tokens);
        if (first.quoted)
            return error(number, "expected a command (" + std::string(commandNames) + "), found a quoted text");

        LineReader in(std::move(tokens), number, m_references);
        std::optional<ScriptCommand> command = readCommand(in);
        if (!command)
            return error(number, "unknown command " + quotedName(in.command()) + "; expected one of "
                                     + std::string(commandNames));
        in.end();
        if (!in.fault().empty())
            return error(number, in.fault());
        if (const auto* set = std::get_if<SetCommand>(&*command)) {
            m_setNames.insert(set->name);
            if (m_setNames.size() > scriptLimits::maxVariables)
                return error(number, "set: more than " + std::to_string(scriptLimits::maxVariables)
                                         + " variables in one script");
        }
        m_script.statements.push_back(ScriptStatement{number, std::move(*command)});
        return std::nullopt;
    }

    std::optional<ScriptError> finish()
    {
        for (ScriptStatement& statement : m_script.statements) {
            GotoCommand* jump = std::get_if<GotoCommand>(&statement.command);
            if (auto* test = std::get_if<IfCommand>(&statement.command))
                jump = std::get_if<GotoCommand>(&test->action);
            if (!jump)
                continue;
            const auto found = m_labels.find(jump->label);
            if (found == m_labels.end())
                return error(statement.line, "goto: no label " + quotedName(jump->label) + " in this script");
            jump->target = found->second.statement;
        }
        for (const Reference& reference : m_references) {
            const bool given = reference.name == matchVariable
                || std::find(hostVariableNames.begin(), hostVariableNames.end(), reference.name)
                    != hostVariableNames.end();
            if (!given && !m_setNames.contains(reference.name))
                return error(reference.line, "unknown variable " + quotedName(reference.name)
                                                 + "; expected one that a set command sets, or match, unit, "
                                                   "number, user or password");
        }
        return std::nullopt;
    }

    Script take() { return std::move(m_script); }
    ScriptError error(int line, std::string message) const { return ScriptError{m_file, line, std::move(message)}; }

private:
    struct Label {
        int line = 0;
        std::size_t statement = 0;
    };

    std::optional<ScriptError> label(int number, const std::vector<ScriptToken>& tokens)
    {
        const std::string name = tokens.front().spelling.substr(0, tokens.front().spelling.size() - 1);
        if (!isScriptName(name))
            return error(number, "expected a label name (letters, digits and _) before :, found " + quotedName(name));
        if (tokens.size() > 1)
            return error(number, "expected the end of the line after the label " + name + ":");
        const auto [found, added] = m_labels.emplace(name, Label{number, m_script.statements.size()});
        if (!added)
            return error(number, "the label " + name + " is already on line " + std::to_string(found->second.line));
        return std::nullopt;
    }

    std::string m_file;
    Script m_script;
    std::map<std::string, Label, std::less<>> m_labels;
    std::set<std::string, std::less<>> m_setNames;
    std::vector<Reference> m_references;
};

}  // namespace

std::string ScriptError::text() const
{
    return line > 0 ? file + ":" + std::to_string(line) + ": " + message : file + ": " + message;
}

std::variant<Script, ScriptError> parseScript(std::string_view bytes, std::string_view fileName)
{
    Parser parser(fileName);
    if (bytes.size() > scriptLimits::maxScriptBytes)
        return parser.error(0, "the script is larger than " + std::to_string(scriptLimits::maxScriptBytes)
                                   + " bytes");
    auto decoded = decodeScriptBytes(bytes);
    if (const auto* fault = std::get_if<DecodeFault>(&decoded))
        return parser.error(fault->line, fault->message);
    const DecodedText& text = std::get<DecodedText>(decoded);

    std::string_view rest = text.cp949;
    for (int number = 1; !rest.empty(); ++number) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (auto error = parser.line(number, line))
            return *error;
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    if (auto error = parser.finish())
        return *error;
    Script script = parser.take();
    script.file = std::string(fileName);
    script.encoding = text.encoding;
    return script;
}

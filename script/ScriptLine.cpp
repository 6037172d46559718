#include "script/ScriptLine.h"

#include "script/ScriptLimits.h"

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendLiteral(ScriptText& text, std::string_view bytes)
{
    if (text.empty() || text.back().variable)
        text.push_back(TextPiece{false, {}});
    text.back().bytes += bytes;
}

// Reads the quoted text that starts at line[at] (the opening quote); `at`
// ends after the closing quote. Returns an empty string or the fault.
std::string readQuoted(std::string_view line, std::size_t& at, ScriptToken& token)
{
    const std::size_t start = at++;
    for (;;) {
        if (at >= line.size())
            return "expected a closing \" before the end of the line";
        const char c = line[at];
        if (c == '"') {
            ++at;
            token.spelling = std::string(line.substr(start, at - start));
            return {};
        }
        if (c == '$' && at + 1 < line.size() && line[at + 1] == '{') {
            const std::size_t close = line.find('}', at + 2);
            if (close == std::string_view::npos)
                return "expected } to end the ${ reference";
            const std::string_view name = line.substr(at + 2, close - at - 2);
            if (!isScriptName(name))
                return "expected a variable name inside ${}, found \"" + std::string(name.substr(0, 40)) + "\"";
            token.text.push_back(TextPiece{true, std::string(name)});
            at = close + 1;
            continue;
        }
        if (c != '\\') {
            // A code page 949 trail byte is never a quote, a backslash or '$',
            // so the text can be read a byte at a time.
            appendLiteral(token.text, line.substr(at, 1));
            ++at;
            continue;
        }
        if (at + 1 >= line.size())
            return "expected a character after \\";
        const char escape = line[at + 1];
        at += 2;
        switch (escape) {
        case 'r':
            appendLiteral(token.text, "\r");
            break;
        case 'n':
            appendLiteral(token.text, "\n");
            break;
        case 't':
            appendLiteral(token.text, "\t");
            break;
        case '\\':
            appendLiteral(token.text, "\\");
            break;
        case '"':
            appendLiteral(token.text, "\"");
            break;
        case 'x': {
            const int high = at < line.size() ? hexDigit(line[at]) : -1;
            const int low = at + 1 < line.size() ? hexDigit(line[at + 1]) : -1;
            if (high < 0 || low < 0)
                return "expected two hexadecimal digits after \\x";
            const char byte = static_cast<char>(high * 16 + low);
            appendLiteral(token.text, std::string_view(&byte, 1));
            at += 2;
            break;
        }
        default:
            return std::string("unknown escape \\") + escape + "; expected \\r \\n \\t \\\\ \\\" or \\xNN";
        }
    }
}

}  // namespace

bool isScriptName(std::string_view name)
{
    if (name.empty() || name.size() > scriptLimits::maxNameBytes)
        return false;
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    if (!letter(name.front()))
        return false;
    for (const char c : name) {
        if (!letter(c) && !(c >= '0' && c <= '9'))
            return false;
    }
    return true;
}

std::variant<std::vector<ScriptToken>, std::string> splitScriptLine(std::string_view line)
{
    std::vector<ScriptToken> tokens;
    std::size_t at = 0;
    for (;;) {
        while (at < line.size() && isBlank(line[at]))
            ++at;
        if (at >= line.size() || line[at] == '#')
            return tokens;
        ScriptToken token;
        if (line[at] == '"') {
            token.quoted = true;
            std::string fault = readQuoted(line, at, token);
            if (!fault.empty())
                return fault;
            if (at < line.size() && !isBlank(line[at]))
                return "expected a space after the closing \"";
        } else {
            const std::size_t start = at;
            while (at < line.size() && !isBlank(line[at])) {
                if (line[at] == '"')
                    return "expected a space before the opening \"";
                ++at;
            }
            token.spelling = std::string(line.substr(start, at - start));
        }
        tokens.push_back(std::move(token));
    }
}

#include "script/ScriptVariables.h"

#include <charconv>

#include "script/ScriptLimits.h"

std::optional<std::int64_t> ScriptValue::integer() const
{
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return *number;
    const std::string& written = std::get<std::string>(value);
    std::int64_t number = 0;
    const char* end = written.data() + written.size();
    const auto [stop, error] = std::from_chars(written.data(), end, number);
    if (written.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

std::string ScriptValue::text() const
{
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return std::to_string(*number);
    return std::get<std::string>(value);
}

ScriptVariables::ScriptVariables(const ScriptHostValues& host)
{
    m_values.emplace(std::string(matchVariable), ScriptValue{std::int64_t{0}});
    m_values.emplace("unit", ScriptValue{host.unit});
    m_values.emplace("number", ScriptValue{host.number});
    m_values.emplace("user", ScriptValue{host.user});
    m_values.emplace(std::string(passwordVariable), ScriptValue{host.password});
}

void ScriptVariables::set(std::string_view name, ScriptValue value)
{
    // The parser bounds the names a script can set, so the map stays small.
    m_values.insert_or_assign(std::string(name), std::move(value));
}

std::optional<ScriptValue> ScriptVariables::value(std::string_view name) const
{
    const auto found = m_values.find(name);
    if (found == m_values.end())
        return std::nullopt;
    return found->second;
}

std::optional<std::string> ScriptVariables::expand(const ScriptText& text, std::string& fault) const
{
    std::string out;
    for (const TextPiece& piece : text) {
        if (!piece.variable) {
            out += piece.bytes;
        } else if (const auto found = m_values.find(piece.bytes); found != m_values.end()) {
            out += found->second.text();
        } else {
            fault = "${" + piece.bytes + "} is used before it is set";
            return std::nullopt;
        }
        if (out.size() > scriptLimits::maxTextBytes) {
            fault = "the text grows beyond " + std::to_string(scriptLimits::maxTextBytes) + " bytes";
            return std::nullopt;
        }
    }
    return out;
}

std::optional<ScriptValue> ScriptVariables::evaluate(const ScriptOperand& operand, std::string& fault) const
{
    switch (operand.kind) {
    case ScriptOperand::Kind::Integer:
        return ScriptValue{operand.integer};
    case ScriptOperand::Kind::Text: {
        std::optional<std::string> text = expand(operand.text, fault);
        if (!text)
            return std::nullopt;
        return ScriptValue{std::move(*text)};
    }
    case ScriptOperand::Kind::Variable:
        break;
    }
    std::optional<ScriptValue> found = value(operand.name);
    if (!found)
        fault = "$" + operand.name + " is used before it is set";
    return found;
}

std::optional<bool> compareValues(const ScriptValue& left, Comparison comparison, const ScriptValue& right,
                                  std::string& fault)
{
    const std::optional<std::int64_t> a = left.integer();
    const std::optional<std::int64_t> b = right.integer();
    const bool numbers = std::holds_alternative<std::int64_t>(left.value)
        && std::holds_alternative<std::int64_t>(right.value);
    switch (comparison) {
    case Comparison::Equal:
        return numbers ? *a == *b : left.text() == right.text();
    case Comparison::NotEqual:
        return numbers ? *a != *b : left.text() != right.text();
    default:
        break;
    }
    if (!a || !b) {
        fault = "expected two integers to compare, found \"" + (a ? right : left).text().substr(0, 40) + "\"";
        return std::nullopt;
    }
    switch (comparison) {
    case Comparison::Less:
        return *a < *b;
    case Comparison::Greater:
        return *a > *b;
    case Comparison::LessOrEqual:
        return *a <= *b;
    default:
        return *a >= *b;
    }
}

#pragma once
// The variables of a running script: $match, those the program gives (unit,
// number, user, password) and those the script sets. A value is an integer or
// a text; ${name} puts a value into a text.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "script/Script.h"

// What the program knows of the session: ${unit} the phone-book entry's name,
// ${number} the number dialled, ${user} the login's user ID, ${password} its
// password (never shown: see SecretMask). Empty when not dialled. Code page 949.
struct ScriptHostValues {
    std::string unit;
    std::string number;
    std::string user;
    std::string password;
};

inline constexpr std::string_view matchVariable = "match";
inline constexpr std::string_view passwordVariable = "password";
inline constexpr std::array<std::string_view, 4> hostVariableNames{"unit", "number", "user", "password"};

struct ScriptValue {
    std::variant<std::int64_t, std::string> value;

    // The integer a value stands for: an integer, or a text written as one
    // ("-12"); nullopt otherwise.
    std::optional<std::int64_t> integer() const;
    // Integers in decimal.
    std::string text() const;
};

class ScriptVariables {
public:
    explicit ScriptVariables(const ScriptHostValues& host);

    void set(std::string_view name, ScriptValue value);
    // nullopt when the script uses a name before setting it.
    std::optional<ScriptValue> value(std::string_view name) const;

    // The text with each ${name} replaced; nullopt and the fault (code page
    // 949) for an unset variable or a result longer than scriptLimits::maxTextBytes.
    std::optional<std::string> expand(const ScriptText& text, std::string& fault) const;
    std::optional<ScriptValue> evaluate(const ScriptOperand& operand, std::string& fault) const;

private:
    std::map<std::string, ScriptValue, std::less<>> m_values;
};

// Equal and NotEqual compare integers as numbers and anything else as text;
// the others need two integers (a text written as an integer counts): nullopt
// and the fault when they are not.
std::optional<bool> compareValues(const ScriptValue& left, Comparison comparison, const ScriptValue& right,
                                  std::string& fault);

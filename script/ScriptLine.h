#pragma once
// One script line taken apart into words and quoted texts. A quoted text keeps
// its escapes resolved and its ${name} references apart from the literal bytes,
// so "\x24{x}" stays the literal ${x}. '#' at the start of a word begins a
// comment; inside quotes it is a character like any other.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "script/Script.h"

struct ScriptToken {
    bool quoted = false;
    std::string spelling;  // as written, for messages
    ScriptText text;       // quoted: the pieces
};

// The tokens, or what was expected where the line went wrong.
std::variant<std::vector<ScriptToken>, std::string> splitScriptLine(std::string_view line);

// Names of variables and labels: an ASCII letter or '_', then letters, digits
// and '_', at most scriptLimits::maxNameBytes bytes.
bool isScriptName(std::string_view name);

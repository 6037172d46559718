#pragma once
// Pieces of the runner's progress lines. They are one line each, so texts are
// quoted with their control bytes escaped as a script would write them, and cut.

#include <string>
#include <string_view>

#include "script/Script.h"

// The text on one line: control bytes, quotes and backslashes escaped as a
// script writes them, cut after about maxBytes at a code page 949 character
// boundary and ended with "...". Mask the text first.
std::string escapedForProgress(std::string_view text, std::size_t maxBytes);
// The same in quotes, at most about 80 bytes: "show status\r".
std::string quotedForProgress(std::string_view text);
// "500ms", "10s", "2m", "1h".
std::string durationText(ScriptDuration duration);
// "0" to "3", or "local".
std::string sourceName(int source);

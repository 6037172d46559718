#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace launcher {

// Converts UTF-8 text (how arguments arrive on Linux) to code page 949 bytes,
// the encoding of text inside the session file and of every field width.
// Gives nothing when the input is not valid UTF-8 or holds a character that
// code page 949 cannot represent.
std::optional<std::string> utf8ToCp949(std::string_view utf8);

} // namespace launcher

#pragma once

#include <functional>
#include <string>

namespace launcher {

// Shows a message to the developer (UTF-8 text); the window passes a message
// box, tests a recorder.
using MessageHook = std::function<void(const std::string&)>;

// Developer tool: turns the first 2048 bytes of the session file "1234.ht"
// into source text in "1234.txt", both in `directory` (the current directory
// when empty). Each byte becomes an item "0x%2.2X,", 16 items to a line, and
// every line, the first included, starts with a line break, so the text
// begins with an empty line and ends without a line break. Gives false, after
// telling the hook why, when either file cannot be opened.
bool dumpTemplateSource(const MessageHook& showMessage, const std::string& directory = {});

} // namespace launcher

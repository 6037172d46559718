#pragma once
// Asks for a password on the terminal without echo; nothing when there is no
// terminal (cron, a pipe). One platform file each.

#include <optional>
#include <string>

// prompt: UTF-8. The answer as typed (UTF-8).
std::optional<std::string> askPasswordOnTerminal(const std::string& prompt);

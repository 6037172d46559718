#pragma once

#include <string>

namespace launcher {

// Hands the session file (UTF-8 path) to the desktop's program for its type.
// The result is not reported: without a registered program nothing happens.
void openSessionFile(const std::string& path);

} // namespace launcher

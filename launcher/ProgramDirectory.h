#pragma once

#include <string>
#include <string_view>

namespace launcher {

// The absolute directory the launcher writes into, ending with '/': the
// directory part of argument 0 (so a copy or a link of the program writes
// beside itself), made absolute against the current directory. When argument
// 0 names no directory (the program was found on PATH), the directory of the
// running executable is used, and failing that the current directory.
std::string launcherDirectory(std::string_view argv0, std::string_view currentDirectory,
                              std::string_view executablePath);

// launcherDirectory with the process's current directory and executable.
std::string programDirectory(std::string_view argv0);

} // namespace launcher

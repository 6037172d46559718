#pragma once

#include <string>
#include <string_view>

#include "base/AppPaths.h"

namespace launcher {

// The absolute directory of the launcher, ending with a separator: the
// directory part of argument 0 (so a copy or a link of the program writes
// beside itself), made absolute against the current directory. When argument
// 0 names no directory (the program was found on PATH), the directory of the
// running executable is used, and failing that the current directory.
std::string launcherDirectory(std::string_view argv0, std::string_view currentDirectory,
                              std::string_view executablePath);

// Where the session file goes, ending with a separator: EmuVOLA's data
// directory rule (base/AppPaths.h) with the launcher's directory as the
// program's own. When no directory can be had the launcher's directory stays,
// so the write fails there and says so.
std::string outputDirectory(const std::string& launcherDir, const PortableCheck& portable = isPortableDirectory);

// The directory the launcher writes into: outputDirectory of the
// launcherDirectory found from argument 0, the process's current directory and
// its executable.
std::string programDirectory(std::string_view argv0);

} // namespace launcher

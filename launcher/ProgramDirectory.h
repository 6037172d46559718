#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace launcher {

// The absolute directory of the launcher, ending with '/': the directory part
// of argument 0 (so a copy or a link of the program writes beside itself),
// made absolute against the current directory. When argument 0 names no
// directory (the program was found on PATH), the directory of the running
// executable is used, and failing that the current directory.
std::string launcherDirectory(std::string_view argv0, std::string_view currentDirectory,
                              std::string_view executablePath);

// Where the session file goes, ending with '/', without touching the file
// system: the launcher's directory when it is writable (a build tree or a
// portable copy); otherwise EmuVOLA's data directory for an installed program:
// $EMUVOLA_DATA_DIR when set, else $XDG_CONFIG_HOME/EmuVOLA/ (an absolute
// value only), else $HOME/.config/EmuVOLA/. Empty strings stand for variables
// that are not set; when none of them helps, the launcher's directory stays.
std::string chooseOutputDirectory(const std::string& launcherDir, bool launcherDirWritable,
                                  std::string_view dataDirOverride, std::string_view xdgConfigHome,
                                  std::string_view home);

// Tells whether the process may create files in a directory.
using WritableCheck = std::function<bool(const std::string& directory)>;
// access(W_OK), and no "emuvola.installed" marker of an installed copy in it
// (root passes access(W_OK) on read-only directories, so the marker is what
// keeps an installed copy clean).
bool isWritableDirectory(const std::string& directory);

// chooseOutputDirectory with the process's environment; a fallback directory
// is created (with its parents) when missing. When it cannot be created the
// launcher's directory is returned, so the write fails as it would have.
std::string outputDirectory(const std::string& launcherDir,
                            const WritableCheck& writable = isWritableDirectory);

// The directory the launcher writes into: outputDirectory of the
// launcherDirectory found from argument 0, the process's current directory and
// its executable.
std::string programDirectory(std::string_view argv0);

} // namespace launcher

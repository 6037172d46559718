#pragma once
// Where the program lives and where its data files go: one rule for EmuVOLA
// and KR-V___ on every system. Paths are UTF-8 and use the system's separator
// ('/' on Linux, '\' on Windows, where '/' is also read as one).

#include <functional>
#include <string>

// Directory of the running executable, ending with a separator; empty when it
// cannot be found.
std::string executableDirectory();
// The directory part of a path up to and including its last separator; empty
// when there is none. A path ending with a separator is returned whole.
std::string directoryOfPath(const std::string& path);
// The directory with a separator at its end (added when missing).
std::string withSeparator(std::string directory);

// Where pinfo.dat, phone.dat, ip.dat, serialmap.dat, KR-V___'s session files
// and the logs live, ending with a separator:
//   1. $EMUVOLA_DATA_DIR when set;
//   2. else the program's own directory when it is a portable one (writable,
//      no installed-copy marker: a build tree or a portable copy);
//   3. else the user's directory for the program: $XDG_CONFIG_HOME/EmuVOLA/
//      (by default ~/.config/EmuVOLA/) on Linux, %APPDATA%\EmuVOLA\ on Windows,
//      created on first use.
// Empty when no directory can be had.
std::string dataDirectory();
// The same rule for a program that finds its own directory elsewhere (the
// launcher takes it from argument 0); `portable` decides step 2.
using PortableCheck = std::function<bool(const std::string& directory)>;
std::string dataDirectoryFor(const std::string& programDir, const PortableCheck& portable);

// A file of this name beside the executable marks an installed copy.
inline constexpr const char* installedCopyMarker = "emuvola.installed";
// True when the program may keep its files beside itself: the directory is
// writable and holds no installed-copy marker.
bool isPortableDirectory(const std::string& programDir);
// The choice itself, without touching the file system; empty strings stand
// for what is not set or not known.
std::string chooseDataDirectory(const std::string& overrideDir, const std::string& programDir,
                                bool programDirPortable, const std::string& userDir);
// Step 3 on Linux: $XDG_CONFIG_HOME/EmuVOLA/ when it is absolute (a relative
// value is invalid), else $HOME/.config/EmuVOLA/; empty without either.
std::string xdgUserDataDirectory(const std::string& xdgConfigHome, const std::string& home);
// Step 3 on Windows: %APPDATA%\EmuVOLA\; empty without APPDATA.
std::string appDataUserDirectory(const std::string& appData);

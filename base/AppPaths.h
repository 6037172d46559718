#pragma once
// Where the program lives and where its data files go.

#include <string>

// Directory of the running executable, ending with '/'; empty when it cannot
// be found.
std::string executableDirectory();
// The directory part of a path up to and including its last '/'; empty when
// there is none. A path ending with '/' is returned whole.
std::string directoryOfPath(const std::string& path);

// Where pinfo.dat, phone.dat, ip.dat, serialmap.dat and the logs live, ending
// with '/': $EMUVOLA_DATA_DIR when set; else the executable directory when it
// is a portable one (writable, no installed-copy marker: a build tree or a
// portable copy); else $XDG_CONFIG_HOME/EmuVOLA/
// (by default ~/.config/EmuVOLA/), created on first use. Empty when no
// directory can be had.
std::string dataDirectory();
// A file of this name beside the executable marks an installed copy.
inline constexpr const char* installedCopyMarker = "emuvola.installed";
// True when the program may keep its files beside itself: the directory is
// writable and holds no installed-copy marker.
bool isPortableDirectory(const std::string& exeDir);
// The choice itself, without touching the file system; empty strings stand
// for variables that are not set.
std::string chooseDataDirectory(const std::string& overrideDir, const std::string& exeDir,
                                bool exeDirWritable, const std::string& xdgConfigHome,
                                const std::string& home);

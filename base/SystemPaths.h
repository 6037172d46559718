#pragma once
// The system's part of the program's paths (base/AppPaths.h), one platform
// file per system.

#include <string>

// Full path of the running executable, UTF-8; empty when it cannot be found.
std::string executablePath();
// True when the process may create files in the directory.
bool canCreateFilesIn(const std::string& directory);
// Step 3 of the data directory rule for this system, from its environment.
std::string userDataDirectory();
bool isPathSeparator(char c);
char preferredPathSeparator();

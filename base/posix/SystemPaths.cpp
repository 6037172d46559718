#include "base/SystemPaths.h"

#include <climits>

#include <unistd.h>

#include "base/AppPaths.h"
#include "base/Environment.h"

std::string executablePath()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return {};
    return std::string(buffer, static_cast<std::size_t>(length));
}

bool canCreateFilesIn(const std::string& directory)
{
    return ::access(directory.c_str(), W_OK) == 0;
}

std::string userDataDirectory()
{
    return xdgUserDataDirectory(environmentVariable("XDG_CONFIG_HOME"), environmentVariable("HOME"));
}

bool isPathSeparator(char c)
{
    return c == '/';
}

char preferredPathSeparator()
{
    return '/';
}

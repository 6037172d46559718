#include "base/AppPaths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <limits.h>
#include <unistd.h>

namespace {

std::string withSlash(std::string dir)
{
    if (!dir.empty() && dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

} // namespace

std::string directoryOfPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return path.substr(0, slash + 1);
}

std::string executableDirectory()
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) {
        return {};
    }
    return directoryOfPath(std::string(buffer, static_cast<std::size_t>(length)));
}

std::string chooseDataDirectory(const std::string& overrideDir, const std::string& exeDir,
                                bool exeDirWritable, const std::string& xdgConfigHome,
                                const std::string& home)
{
    if (!overrideDir.empty()) {
        return withSlash(overrideDir);
    }
    if (!exeDir.empty() && exeDirWritable) {
        return withSlash(exeDir);
    }
    // XDG: a relative value is invalid and is ignored.
    if (!xdgConfigHome.empty() && xdgConfigHome.front() == '/') {
        return withSlash(xdgConfigHome) + "EmuVOLA/";
    }
    if (!home.empty()) {
        return withSlash(home) + ".config/EmuVOLA/";
    }
    return {};
}

bool isPortableDirectory(const std::string& exeDir)
{
    if (exeDir.empty() || access(exeDir.c_str(), W_OK) != 0)
        return false;
    // An installed copy carries a marker: never write there, even as root.
    return access((withSlash(exeDir) + installedCopyMarker).c_str(), F_OK) != 0;
}

std::string dataDirectory()
{
    const std::string exeDir = executableDirectory();
    const bool writable = isPortableDirectory(exeDir);
    const std::string dir = chooseDataDirectory(environment("EMUVOLA_DATA_DIR"), exeDir, writable,
                                                environment("XDG_CONFIG_HOME"),
                                                environment("HOME"));
    if (!dir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(dir, error);
        if (error && !std::filesystem::is_directory(dir, error)) {
            return {};
        }
    }
    return dir;
}

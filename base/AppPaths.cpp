#include "base/AppPaths.h"

#include <filesystem>
#include <system_error>

#include "base/Environment.h"
#include "base/FilePath.h"
#include "base/SystemPaths.h"

std::string withSeparator(std::string directory)
{
    if (!directory.empty() && !isPathSeparator(directory.back()))
        directory += preferredPathSeparator();
    return directory;
}

std::string directoryOfPath(const std::string& path)
{
    for (std::size_t end = path.size(); end > 0; --end) {
        if (isPathSeparator(path[end - 1]))
            return path.substr(0, end);
    }
    return {};
}

std::string executableDirectory()
{
    return directoryOfPath(executablePath());
}

std::string chooseDataDirectory(const std::string& overrideDir, const std::string& programDir,
                                bool programDirPortable, const std::string& userDir)
{
    if (!overrideDir.empty())
        return withSeparator(overrideDir);
    if (!programDir.empty() && programDirPortable)
        return withSeparator(programDir);
    return withSeparator(userDir);
}

namespace {

// Joins with the separator of the system whose rule is being applied, so
// either rule reads the same wherever it is tested.
std::string joined(std::string directory, const std::string& name, char separator)
{
    if (!directory.empty() && directory.back() != separator)
        directory += separator;
    return directory + name + separator;
}

}  // namespace

std::string xdgUserDataDirectory(const std::string& xdgConfigHome, const std::string& home)
{
    if (!xdgConfigHome.empty() && xdgConfigHome.front() == '/')
        return joined(xdgConfigHome, "EmuVOLA", '/');
    if (!home.empty())
        return joined(home, ".config/EmuVOLA", '/');
    return {};
}

std::string appDataUserDirectory(const std::string& appData)
{
    if (appData.empty())
        return {};
    return joined(appData, "EmuVOLA", '\\');
}

bool isPortableDirectory(const std::string& programDir)
{
    if (programDir.empty() || !canCreateFilesIn(programDir))
        return false;
    // An installed copy carries a marker: never write there, even as root.
    std::error_code error;
    return !std::filesystem::exists(pathFromUtf8(withSeparator(programDir) + installedCopyMarker), error);
}

std::string dataDirectoryFor(const std::string& programDir, const PortableCheck& portable)
{
    const std::string overrideDir = environmentVariable("EMUVOLA_DATA_DIR");
    // The override is taken as given: the program directory is not even looked at.
    const bool programDirPortable = overrideDir.empty() && portable(programDir);
    const std::string dir =
        chooseDataDirectory(overrideDir, programDir, programDirPortable, programDirPortable ? "" : userDataDirectory());
    if (!dir.empty()) {
        std::error_code error;
        std::filesystem::create_directories(pathFromUtf8(dir), error);
        if (error && !std::filesystem::is_directory(pathFromUtf8(dir), error))
            return {};
    }
    return dir;
}

std::string dataDirectory()
{
    return dataDirectoryFor(executableDirectory(), isPortableDirectory);
}

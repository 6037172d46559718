#include "launcher/ProgramDirectory.h"

#include <filesystem>
#include <system_error>

#include "base/FilePath.h"
#include "base/SystemPaths.h"

namespace launcher {

std::string launcherDirectory(std::string_view argv0, std::string_view currentDirectory,
                              std::string_view executablePath)
{
    std::string dir = directoryOfPath(std::string(argv0));
    if (dir.empty())
        dir = directoryOfPath(std::string(executablePath));
    if (dir.empty())
        return withSeparator(std::string(currentDirectory));

    const std::filesystem::path path = pathFromUtf8(dir);
    const std::filesystem::path absolute = path.is_absolute() ? path : pathFromUtf8(currentDirectory) / path;
    return withSeparator(utf8FromPath(absolute.lexically_normal()));
}

std::string outputDirectory(const std::string& launcherDir, const PortableCheck& portable)
{
    const std::string chosen = dataDirectoryFor(launcherDir, portable);
    return chosen.empty() ? launcherDir : chosen;
}

std::string programDirectory(std::string_view argv0)
{
    std::error_code ec;
    const std::string current = utf8FromPath(std::filesystem::current_path(ec));
    return outputDirectory(launcherDirectory(argv0, current, executablePath()));
}

} // namespace launcher

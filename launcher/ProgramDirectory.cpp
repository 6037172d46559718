#include "launcher/ProgramDirectory.h"

#include <filesystem>
#include <system_error>

namespace launcher {
namespace {

std::string withTrailingSlash(std::string dir)
{
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

} // namespace

std::string launcherDirectory(std::string_view argv0, std::string_view currentDirectory,
                              std::string_view executablePath)
{
    namespace fs = std::filesystem;
    std::string_view source = argv0;
    if (source.find('/') == std::string_view::npos)
        source = executablePath;

    const std::size_t slash = source.rfind('/');
    if (slash == std::string_view::npos)
        return withTrailingSlash(std::string(currentDirectory));

    const fs::path dir(std::string(source.substr(0, slash + 1)));
    const fs::path absolute = dir.is_absolute() ? dir : fs::path(std::string(currentDirectory)) / dir;
    return withTrailingSlash(absolute.lexically_normal().string());
}

std::string programDirectory(std::string_view argv0)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string current = fs::current_path(ec).string();
    const std::string executable = fs::read_symlink("/proc/self/exe", ec).string();
    return launcherDirectory(argv0, current, executable);
}

} // namespace launcher

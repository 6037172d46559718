#include "launcher/ProgramDirectory.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace launcher {
namespace {

std::string withTrailingSlash(std::string dir)
{
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
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

std::string chooseOutputDirectory(const std::string& launcherDir, bool launcherDirWritable,
                                  std::string_view dataDirOverride, std::string_view xdgConfigHome,
                                  std::string_view home)
{
    if (launcherDirWritable)
        return launcherDir;
    if (!dataDirOverride.empty())
        return withTrailingSlash(std::string(dataDirOverride));
    // XDG: a relative value is invalid and is ignored.
    if (!xdgConfigHome.empty() && xdgConfigHome.front() == '/')
        return withTrailingSlash(std::string(xdgConfigHome)) + "EmuVOLA/";
    if (!home.empty())
        return withTrailingSlash(std::string(home)) + ".config/EmuVOLA/";
    return launcherDir;
}

bool isWritableDirectory(const std::string& directory)
{
    if (directory.empty() || access(directory.c_str(), W_OK) != 0)
        return false;
    // An installed copy carries a marker: its files go to the data directory,
    // even for root, who could write here.
    return access((withTrailingSlash(directory) + "emuvola.installed").c_str(), F_OK) != 0;
}

std::string outputDirectory(const std::string& launcherDir, const WritableCheck& writable)
{
    const bool launcherDirWritable = writable ? writable(launcherDir) : isWritableDirectory(launcherDir);
    const std::string chosen =
        chooseOutputDirectory(launcherDir, launcherDirWritable, environment("EMUVOLA_DATA_DIR"),
                              environment("XDG_CONFIG_HOME"), environment("HOME"));
    if (chosen == launcherDir)
        return chosen;
    std::error_code ec;
    std::filesystem::create_directories(chosen, ec);
    if (!std::filesystem::is_directory(chosen, ec))
        return launcherDir;
    return chosen;
}

std::string programDirectory(std::string_view argv0)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string current = fs::current_path(ec).string();
    const std::string executable = fs::read_symlink("/proc/self/exe", ec).string();
    return outputDirectory(launcherDirectory(argv0, current, executable));
}

} // namespace launcher

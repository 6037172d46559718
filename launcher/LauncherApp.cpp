#include "launcher/LauncherApp.h"

#include "launcher/SessionFile.h"
#include "launcher/SessionFileName.h"

#include <optional>

#include "base/TextCodec.h"

namespace launcher {
namespace {

// The field in code page 949 when it is safe in a file name and fits its
// width; nothing otherwise.
std::optional<std::string> acceptField(const std::string& utf8, std::size_t width)
{
    if (!isSafeFileNamePart(utf8))
        return std::nullopt;
    std::optional<std::string> cp949 = utf8ToCp949Exactly(utf8);
    if (!cp949 || cp949->size() > width)
        return std::nullopt;
    return cp949;
}

} // namespace

void LauncherApp::start(const std::vector<std::string>& args, const std::string& directory)
{
    *this = LauncherApp{};
    m_outputPath = directory;
    if (args.size() != 4)
        return;

    const std::string& addressArg = args[1];
    const std::string& portArg = args[2];
    const std::string& nameArg = args[3];
    std::optional<std::string> address = acceptField(addressArg, addressWidth);
    std::optional<std::string> portText = acceptField(portArg, portTextWidth);
    std::optional<std::string> name = acceptField(nameArg, nameWidth);
    if (!address || !portText || !name)
        return;

    const std::uint16_t port = portValueOf(portArg);
    // The file name keeps the arguments' own UTF-8 text: file names on Linux
    // are UTF-8, only the file's content is code page 949.
    const std::string path = directory + sessionFileName(nameArg, addressArg, portArg, port);
    if (path.size() > pathWidth)
        return;

    m_valid = true;
    m_outputPath = path;
    m_address = *address;
    m_portText = portArg;
    m_portValue = port;
    m_name = nameArg;
}

void LauncherApp::useDefaultServer()
{
    m_address = defaultServerAddress;
    m_portText = defaultServerPortText;
    m_portValue = portValueOf(m_portText);
}

bool LauncherApp::writeSession() const
{
    if (!m_valid)
        return false;
    return writeSessionFile(m_outputPath, m_address, m_portValue);
}

} // namespace launcher

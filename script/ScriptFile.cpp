#include "script/ScriptFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "base/TextCodec.h"
#include "script/ScriptEncoding.h"
#include "script/ScriptLimits.h"
#include "script/ScriptParser.h"

BoundedFile readBoundedFile(const std::filesystem::path& path, std::size_t maxBytes)
{
    BoundedFile file;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        file.fault = "it is a folder";
        return file;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        file.fault = std::strerror(errno);
        return file;
    }
    // One byte more than allowed tells a file that is too large without reading all of it.
    file.bytes.resize(maxBytes + 1);
    in.read(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
    if (in.bad()) {
        file.fault = "it could not be read";
        file.bytes.clear();
        return file;
    }
    file.bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (file.bytes.size() > maxBytes) {
        file.fault = "it is larger than " + std::to_string(maxBytes) + " bytes";
        file.bytes.clear();
    }
    return file;
}

std::string pathForMessages(const std::filesystem::path& path)
{
    const std::string native = path.string();
    return isValidUtf8(native) ? utf8ToCp949(native) : native;
}

std::variant<Script, ScriptError> loadScriptFile(const std::filesystem::path& path)
{
    const std::string name = pathForMessages(path);
    BoundedFile file = readBoundedFile(path, scriptLimits::maxScriptBytes);
    if (!file.fault.empty())
        return ScriptError{name, 0, "cannot read the script: " + file.fault};
    auto parsed = parseScript(file.bytes, name);
    if (auto* script = std::get_if<Script>(&parsed))
        script->directory = path.parent_path();
    return parsed;
}

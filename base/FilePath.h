#pragma once
// Paths are UTF-8 in std::string everywhere in the program. std::filesystem
// reads a plain std::string in the system's narrow code page on Windows, so
// every path handed to it goes through these.

#include <filesystem>
#include <string>
#include <string_view>

inline std::filesystem::path pathFromUtf8(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

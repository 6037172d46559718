#pragma once
// File names given as UTF-8 text (command-line arguments, what a dialog
// returns) and back, the same on every platform: on Windows a path is wide,
// and a plain std::string would be read in the ANSI code page.

#include <filesystem>
#include <string>

inline std::filesystem::path pathFromUtf8(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

#pragma once
// A text without the blanks (space, tab, CR, LF) at either end.

#include <string>
#include <string_view>

inline std::string trimmed(std::string_view text)
{
    constexpr std::string_view blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}

#pragma once
// The program keeps paths, environment values and arguments as UTF-8; the
// Windows wide calls take UTF-16. Invalid UTF-8 becomes U+FFFD, so a damaged
// name fails to open instead of opening something else.

#include <string>
#include <string_view>

std::wstring wideFromUtf8(std::string_view utf8);
std::string utf8FromWide(std::wstring_view wide);

#pragma once
// Splitting a parameter text into arguments the way a command line is split:
// blanks separate arguments, double quotes group blanks into one argument and
// are removed. No shell is involved, so nothing else in the text has a meaning.

#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> splitCommandLine(std::string_view text);

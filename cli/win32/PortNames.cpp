#include "cli/PortNames.h"

#include <algorithm>
#include <cctype>

bool acceptsUnlistedPort(const std::string& name)
{
    if (name.size() < 4 || name.size() > 6)
        return false;
    const bool com = std::toupper(static_cast<unsigned char>(name[0])) == 'C'
        && std::toupper(static_cast<unsigned char>(name[1])) == 'O'
        && std::toupper(static_cast<unsigned char>(name[2])) == 'M';
    return com && name[3] != '0'
        && std::all_of(name.begin() + 3, name.end(), [](unsigned char c) { return std::isdigit(c); });
}

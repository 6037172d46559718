#include "cli/PortNames.h"

bool acceptsUnlistedPort(const std::string&)
{
    // Devices that discovery does not list go through the port map.
    return false;
}

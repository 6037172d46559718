#include "serial/PortDiscovery.h"

#include <algorithm>
#include <cctype>

namespace {

bool isOxserDevice(const std::string& deviceName)
{
    std::string upper = deviceName;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper.find("OXSER") != std::string::npos;
}

} // namespace

void listComPorts(std::vector<std::string>& ports, bool oxserOnly, const SerialMapSources& sources)
{
    std::vector<SerialMapEntry> entries;
    if (!readSerialDeviceMap(sources, entries)) {
        return;
    }
    ports.clear();
    for (const SerialMapEntry& entry : entries) {
        if (oxserOnly && !isOxserDevice(entry.deviceName)) {
            continue;
        }
        if (ports.size() < maxListedPorts) {
            ports.push_back(entry.portName);
        }
    }
}

void listComPorts(std::vector<std::string>& ports, bool oxserOnly)
{
    listComPorts(ports, oxserOnly, systemSerialMapSources());
}

bool anyOxserPort(const SerialMapSources& sources)
{
    std::vector<SerialMapEntry> entries;
    if (!readSerialDeviceMap(sources, entries)) {
        return false;
    }
    return std::any_of(entries.begin(), entries.end(),
                       [](const SerialMapEntry& entry) { return isOxserDevice(entry.deviceName); });
}

bool anyOxserPort()
{
    return anyOxserPort(systemSerialMapSources());
}

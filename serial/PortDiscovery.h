#pragma once
// COM port discovery over the serial device map (serial/SerialMap.h).

#include <string>
#include <vector>

#include "base/PortRecords.h"
#include "serial/SerialMap.h"

// Maximum number of ports listed: one per port button of the main frame.
constexpr std::size_t maxListedPorts = portSlotCount;

// Replaces `ports` with the port names of the map, in map order, at most
// maxListedPorts.
// With oxserOnly set, only devices whose upper-cased device name contains
// "OXSER" are listed. An entry whose port name could not be read is listed as
// an empty name. When the map cannot be read at all, `ports` is left as it was.
void listComPorts(std::vector<std::string>& ports, bool oxserOnly, const SerialMapSources& sources);
void listComPorts(std::vector<std::string>& ports, bool oxserOnly);

// True when any device name of the map, upper-cased, contains "OXSER".
bool anyOxserPort(const SerialMapSources& sources);
bool anyOxserPort();

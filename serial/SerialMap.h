#pragma once
// The serial device map: (device name, port name) pairs, in order, from
//   1. the port map: the environment variable EMUVOLA_SERIAL_MAP
//      ("NAME=TARGET;NAME=TARGET"), then serialmap.dat in the data directory
//      (section [SERIALCOMM], NAME=TARGET); port name NAME, device name TARGET;
//   2. the machine's own serial devices (serial/LocalDevices.h): on Linux those
//      under /sys/class/tty (port name the tty name, device name the driver
//      name and the device's path), on Windows the registry's serial device
//      map HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM (port name the
//      value's data such as COM3, device name the value's name).
// The sources are passed in so tests can use made-up ones; systemSerialMapSources()
// gives the real ones.

#include <string>
#include <vector>

#include "base/DataFile.h"

struct SerialMapEntry {
    std::string deviceName;  // what the "OXSER" filter looks at
    std::string portName;    // what is listed; empty when it could not be read
};

struct SerialMapSources {
    std::string portMapText;     // contents of EMUVOLA_SERIAL_MAP
    std::string mapFileText;     // contents of serialmap.dat
    std::string localDevices;    // where the system lists them (serial/LocalDevices.h); empty to skip
    FileFault mapFileFault;      // why serialmap.dat could not be read, if it could not
};

// Entries of the port map text "NAME=TARGET;NAME=TARGET". Blanks around names
// and targets are dropped; items without '=' are ignored; "=TARGET" gives an
// entry with an empty port name.
std::vector<SerialMapEntry> parsePortMapText(const std::string& text);
// Entries of section [SERIALCOMM] of serialmap.dat, read as a profile file
// (base/ProfileFile.h: names compare without case, the first of a repeated
// section or key counts, ';' starts a comment line, values lose their outer
// blanks and one pair of double quotes and are cut to 259 bytes). A key that
// starts with '#' is a comment too, as this file has always had it.
std::vector<SerialMapEntry> parseSerialMapFile(const std::string& text);
// The whole map in order: port map text, map file, local devices. A port name
// already given by an earlier entry is not repeated. False (entries empty) when
// nothing could be read at all: no port map entries and no local device list.
bool readSerialDeviceMap(const SerialMapSources& sources, std::vector<SerialMapEntry>& entries);

// The real sources: the environment, <data directory>serialmap.dat, the system's
// device list.
SerialMapSources systemSerialMapSources();
// <data directory>serialmap.dat; empty when there is no data directory.
std::string serialMapFilePath();

// The port map target of a port name (environment first, then the file; names
// compare without ASCII case). False when the name is not in the port map.
bool findPortMapTarget(const SerialMapSources& sources, const std::string& portName,
                       std::string& target);
bool readSerialMapTarget(const std::string& portName, std::string& target);

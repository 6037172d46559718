#include "serial/SerialMap.h"

#include <algorithm>
#include <cctype>

#include "base/AppPaths.h"
#include "base/Environment.h"
#include "base/ProfileFile.h"
#include "base/TrimmedText.h"
#include "serial/LocalDevices.h"

namespace {

constexpr const char* serialMapFileName = "serialmap.dat";
constexpr const char* mapSection = "SERIALCOMM";

bool equalsIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x))
                   == std::tolower(static_cast<unsigned char>(y));
           });
}

// Splits "NAME=TARGET" at the first '='; false without one.
bool splitPair(const std::string& item, SerialMapEntry& entry)
{
    const std::size_t equals = item.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    entry.portName = trimmed(item.substr(0, equals));
    entry.deviceName = trimmed(item.substr(equals + 1));
    return true;
}

} // namespace

std::vector<SerialMapEntry> parsePortMapText(const std::string& text)
{
    std::vector<SerialMapEntry> entries;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        SerialMapEntry entry;
        if (splitPair(text.substr(start, end - start), entry)) {
            entries.push_back(std::move(entry));
        }
        start = end + 1;
    }
    return entries;
}

std::vector<SerialMapEntry> parseSerialMapFile(const std::string& text)
{
    std::vector<SerialMapEntry> entries;
    ProfileFile file(serialMapFileName);
    if (!file.loadText(text)) {
        return entries;
    }
    for (const std::string& portName : file.keys(mapSection)) {
        // Lines starting with '#' have always been comments in this file.
        if (portName.front() == '#') {
            continue;
        }
        entries.push_back({file.getString(mapSection, portName, ""), portName});
    }
    return entries;
}

bool readSerialDeviceMap(const SerialMapSources& sources, std::vector<SerialMapEntry>& entries)
{
    entries.clear();
    std::vector<SerialMapEntry> all = parsePortMapText(sources.portMapText);
    const std::vector<SerialMapEntry> fromFile = parseSerialMapFile(sources.mapFileText);
    all.insert(all.end(), fromFile.begin(), fromFile.end());
    bool readAny = !all.empty();
    if (!sources.localDevices.empty() && readLocalDevices(sources.localDevices, all)) {
        readAny = true;
    }
    std::vector<std::string> seen;
    for (SerialMapEntry& entry : all) {
        if (!entry.portName.empty()) {
            const bool repeated = std::any_of(seen.begin(), seen.end(), [&](const std::string& name) {
                return equalsIgnoringCase(name, entry.portName);
            });
            if (repeated) {
                continue;
            }
            seen.push_back(entry.portName);
        }
        entries.push_back(std::move(entry));
    }
    return readAny;
}

std::string serialMapFilePath()
{
    const std::string dataDir = dataDirectory();
    return dataDir.empty() ? std::string() : dataDir + serialMapFileName;
}

SerialMapSources systemSerialMapSources()
{
    SerialMapSources sources;
    sources.portMapText = environmentVariable("EMUVOLA_SERIAL_MAP");
    const std::string mapFile = serialMapFilePath();
    if (!mapFile.empty()) {
        // Anything but a readable regular file counts as no map file; the fault
        // is kept for the start-up report.
        DataFileContents contents = readDataFile(mapFile);
        ProfileFile file(mapFile);
        if (contents.fault.ok() && !file.loadText(contents.bytes)) {
            contents.fault = file.fault();  // more lines than a settings file may hold
            contents.bytes.clear();
        }
        sources.mapFileText = std::move(contents.bytes);
        sources.mapFileFault = contents.fault;
    }
    sources.localDevices = systemLocalDeviceList();
    return sources;
}

bool findPortMapTarget(const SerialMapSources& sources, const std::string& portName,
                       std::string& target)
{
    for (const auto& entries : {parsePortMapText(sources.portMapText),
                                parseSerialMapFile(sources.mapFileText)}) {
        for (const SerialMapEntry& entry : entries) {
            if (!entry.portName.empty() && equalsIgnoringCase(entry.portName, portName)) {
                target = entry.deviceName;
                return true;
            }
        }
    }
    return false;
}

bool readSerialMapTarget(const std::string& portName, std::string& target)
{
    SerialMapSources sources = systemSerialMapSources();
    sources.localDevices.clear();
    return findPortMapTarget(sources, portName, target);
}

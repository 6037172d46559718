#include "app/LineSettings.h"

#include <cstdio>

#include "directory/ProfileFile.h"

namespace {

constexpr const char* dialSection = "CALLSECT";
constexpr std::size_t slotCount = std::tuple_size_v<PortTable>;

char parityLetter(int parity)
{
    switch (parity) {
    case 0: return 'N';
    case 1: return 'O';
    case 2: return 'E';
    default: return '?';  // only a hand-edited file gets here
    }
}

}  // namespace

PortTable portTableFromNames(const std::vector<std::string>& discoveredNames)
{
    PortTable table;
    std::size_t next = 0;
    for (const std::string& name : discoveredNames) {
        if (next == slotCount)
            break;
        if (name.empty())
            continue;
        table[next++].portName = name;
    }
    return table;
}

void readLineSettings(const std::string& path, PortTable& table, DialSettings& dial)
{
    ProfileFile file(path);
    file.load();
    const PortSettings defaults;
    for (PortSettings& slot : table) {
        if (slot.portName.empty())
            continue;
        // Values are kept as read, however odd (BAUD=0, DATABIT=9): the serial port
        // refuses settings it cannot use when the port is opened.
        slot.baudHundreds = file.getInt(slot.portName, "BAUD", defaults.baudHundreds);
        slot.parity = file.getInt(slot.portName, "PARITY", defaults.parity);
        slot.dataBits = file.getInt(slot.portName, "DATABIT", defaults.dataBits);
        slot.stopBits = file.getInt(slot.portName, "STOPBIT", defaults.stopBits);
    }
    const DialSettings dialDefaults;
    dial.dialCommand = file.getString(dialSection, "CALLCMD", dialDefaults.dialCommand);
    dial.outsideLineNumber = file.getString(dialSection, "OUTLINE", dialDefaults.outsideLineNumber);
    dial.initCommand = file.getString(dialSection, "ATZ", dialDefaults.initCommand);
}

bool writePortSettings(const std::string& path, const PortTable& table)
{
    ProfileFile file(path);
    if (!file.load())
        return false;
    bool allStored = true;
    for (const PortSettings& slot : table) {
        if (slot.portName.empty())
            continue;
        // A port name that cannot be a section name (e.g. one holding ']') is skipped.
        allStored = file.setInt(slot.portName, "BAUD", slot.baudHundreds) && allStored;
        allStored = file.setInt(slot.portName, "PARITY", slot.parity) && allStored;
        allStored = file.setInt(slot.portName, "DATABIT", slot.dataBits) && allStored;
        allStored = file.setInt(slot.portName, "STOPBIT", slot.stopBits) && allStored;
    }
    return file.save() && allStored;
}

bool writeDialSettings(const std::string& path, const DialSettings& dial)
{
    ProfileFile file(path);
    if (!file.load())
        return false;
    file.setString(dialSection, "CALLCMD", dial.dialCommand);
    file.setString(dialSection, "OUTLINE", dial.outsideLineNumber);
    file.setString(dialSection, "ATZ", dial.initCommand);
    return file.save();
}

const PortSettings* findPortSettings(const PortTable& table, const std::string& portName)
{
    if (portName.empty())
        return nullptr;
    for (const PortSettings& slot : table) {
        if (slot.portName == portName)
            return &slot;
    }
    return nullptr;
}

std::string portSettingsText(const PortTable& table, const std::string& portName)
{
    const PortSettings* settings = findPortSettings(table, portName);
    if (settings == nullptr)
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "%d00-%c-%d-%d", settings->baudHundreds,
                  parityLetter(settings->parity), settings->dataBits, settings->stopBits);
    return text;
}

#include "app/LineSettings.h"


#include "directory/ProfileFile.h"

namespace {

constexpr const char* dialSection = "CALLSECT";
constexpr std::size_t slotCount = std::tuple_size_v<PortTable>;

// Fields of the settings text; a value no port can take shows as "?" (only a
// hand-edited file gets there).
std::string speedField(int baudHundreds)
{
    // Up to 4,000,000 bit/s, the fastest a serial driver offers.
    if (baudHundreds < 1 || baudHundreds > 40000)
        return "?";
    return std::to_string(baudHundreds) + "00";
}

std::string parityField(int parity)
{
    switch (parity) {
    case 0: return "N";
    case 1: return "O";
    case 2: return "E";
    default: return "?";
    }
}

std::string numberField(int value, int lowest, int highest)
{
    return value < lowest || value > highest ? std::string("?") : std::to_string(value);
}

bool isLabelSafe(unsigned char c)
{
    return c >= 0x20 && c != 0x7F && c != '/' && c != '\\';
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

FileFault readLineSettings(const std::string& path, PortTable& table, DialSettings& dial)
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
    return file.fault();
}

FileFault writePortSettings(const std::string& path, const PortTable& table)
{
    ProfileFile file(path);
    if (!file.load())
        return file.fault();
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
    if (!file.save())
        return file.fault();
    return allStored ? FileFault{} : FileFault::of(FileFault::Kind::UnstorableName);
}

FileFault writeDialSettings(const std::string& path, const DialSettings& dial)
{
    ProfileFile file(path);
    if (!file.load())
        return file.fault();
    file.setString(dialSection, "CALLCMD", dial.dialCommand);
    file.setString(dialSection, "OUTLINE", dial.outsideLineNumber);
    file.setString(dialSection, "ATZ", dial.initCommand);
    file.save();
    return file.fault();
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
    return speedField(settings->baudHundreds) + '-' + parityField(settings->parity) + '-'
        + numberField(settings->dataBits, 5, 8) + '-' + numberField(settings->stopBits, 1, 2);
}

std::string portNameLabel(const std::string& portName)
{
    constexpr std::size_t longest = 24;
    std::string label;
    for (std::size_t i = 0; i < portName.size(); ++i) {
        const auto c = static_cast<unsigned char>(portName[i]);
        // A lead byte and its trail byte stay together (a trail byte is never a
        // control character or a separator); a lone lead byte at the end is dropped.
        const std::size_t width = c >= 0x80 ? 2 : 1;
        if (label.size() + width > longest) {
            label += "\xA1\xA6";  // an ellipsis in code page 949
            break;
        }
        if (width == 2) {
            if (i + 1 < portName.size())
                label.append(portName, i, 2);
            ++i;
        } else {
            label += isLabelSafe(c) ? static_cast<char>(c) : '?';
        }
    }
    return label;
}

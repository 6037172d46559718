#include "base/PortRecords.h"

namespace {

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
        if (next == portSlotCount)
            break;
        if (name.empty())
            continue;
        table[next++].portName = name;
    }
    return table;
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

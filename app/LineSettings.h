#pragma once
// The port table and dialling settings kept in pinfo.dat.

#include <array>
#include <string>
#include <vector>

// One local COM port's line settings.
struct PortSettings {
    std::string portName;  // empty = empty slot
    int baudHundreds = 576;
    int dataBits = 8;
    int stopBits = 1;
    int parity = 0;  // 0 none, 1 odd, 2 even
};

struct DialSettings {
    std::string dialCommand = "ATDT";
    std::string outsideLineNumber = "9";
    std::string initCommand = "ATZ";
};

// Exactly four slots, slot i belonging to port button i + 1.
using PortTable = std::array<PortSettings, 4>;

// Fills the slots in order with the non-empty names of a discovery list
// (at most four); other slots stay empty.
PortTable portTableFromNames(const std::vector<std::string>& discoveredNames);

// Reads the settings of every filled slot and the dial settings from the file;
// anything missing gives the defaults.
void readLineSettings(const std::string& path, PortTable& table, DialSettings& dial);
// Writes BAUD, PARITY, DATABIT, STOPBIT for each filled slot; true when saved.
bool writePortSettings(const std::string& path, const PortTable& table);
// Writes CALLCMD, OUTLINE, ATZ under CALLSECT; true when saved.
bool writeDialSettings(const std::string& path, const DialSettings& dial);

// The slot whose name equals portName exactly (case matters), or nullptr.
const PortSettings* findPortSettings(const PortTable& table, const std::string& portName);
// "%d00-%c-%d-%d", e.g. "57600-N-8-1"; empty when no slot matches.
std::string portSettingsText(const PortTable& table, const std::string& portName);

#pragma once
// The port table and dialling settings kept in pinfo.dat.

#include <array>
#include <string>
#include <vector>

#include "serial/DataFile.h"

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
// anything missing gives the defaults, and so does a file that cannot be read (the
// result then tells why).
FileFault readLineSettings(const std::string& path, PortTable& table, DialSettings& dial);
// Writes BAUD, PARITY, DATABIT, STOPBIT for each filled slot; ok() when saved. A port
// name that cannot be a section name (one holding ']') is skipped and reported as
// UnstorableName after the others are saved.
[[nodiscard]] FileFault writePortSettings(const std::string& path, const PortTable& table);
// Writes CALLCMD, OUTLINE, ATZ under CALLSECT; ok() when saved.
[[nodiscard]] FileFault writeDialSettings(const std::string& path, const DialSettings& dial);

// The slot whose name equals portName exactly (case matters), or nullptr.
const PortSettings* findPortSettings(const PortTable& table, const std::string& portName);
// "%d00-%c-%d-%d", e.g. "57600-N-8-1"; empty when no slot matches. A field whose
// stored value cannot be a line setting (a hand-edited file: BAUD=0, DATABIT=99)
// shows as "?", so the text never suggests a speed of "000".
std::string portSettingsText(const PortTable& table, const std::string& portName);

// A port name as a button or list shows it: control characters and path separators
// become '?', and a name longer than 24 bytes is cut (at a character boundary of code
// page 949) and ends in an ellipsis. Only the label changes; the name itself is kept.
std::string portNameLabel(const std::string& portName);

#pragma once
// The records the layers share about ports: a local port's line settings, the
// table of the four port slots and the dial settings (all kept in pinfo.dat,
// which the application reads and writes), and the number of the KR-V's remote
// ports. Plain values and the rules that read them; no I/O.

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
    // Dialling again by itself, off unless the operator turns it on: after a
    // busy or failed dial up to redialCount more times, and, with reconnect,
    // after a lost line; each attempt redialIntervalSeconds after the last.
    int redialCount = 0;
    int redialIntervalSeconds = 30;
    bool reconnect = false;
};

inline constexpr int maxRedialCount = 99;
inline constexpr int minRedialIntervalSeconds = 1;
inline constexpr int maxRedialIntervalSeconds = 3600;

// The main frame has four port buttons; slot i belongs to button i + 1.
inline constexpr int portSlotCount = 4;
using PortTable = std::array<PortSettings, portSlotCount>;

// The KR-V's remote ports are numbered 0 to remotePortCount - 1.
inline constexpr int remotePortCount = 4;

// Fills the slots in order with the non-empty names of a discovery list
// (at most four); other slots stay empty.
PortTable portTableFromNames(const std::vector<std::string>& discoveredNames);

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

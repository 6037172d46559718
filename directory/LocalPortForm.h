#pragma once
// The local port settings form: the dialog's copy of the four port records, the
// port shown in the lists, and how a record is shown in and stored from the lists.

#include <array>
#include <optional>
#include <string_view>

#include "base/PortRecords.h"

inline constexpr std::array<std::string_view, 8> localSpeedItems{"2400",  "4800",  "9600",  "19200",
                                                                 "28800", "38400", "57600", "115200"};
inline constexpr std::array<std::string_view, 4> localDataBitsItems{"5 Bit", "6 Bit", "7 Bit", "8 Bit"};
inline constexpr std::array<std::string_view, 2> localStopBitsItems{"1 Bit", "2 Bit"};
inline constexpr std::array<std::string_view, 3> localParityItems{"None Parity", "Odd Parity", "Even Parity"};

// Selected positions of the four setting lists; -1 is no selection.
struct LocalPortChoice {
    int speed = -1;
    int dataBits = -1;
    int stopBits = -1;
    int parity = -1;
    bool operator==(const LocalPortChoice&) const = default;
};

// Show: the speed item beginning with "<baudHundreds>00", data bits at
// dataBits - 5, stop bits at stopBits - 1, parity at parity; values outside
// the lists give no selection.
LocalPortChoice choiceForSettings(const PortSettings& settings);

// Store: a list without a selection keeps the record's value, so a record that
// holds a value outside the lists keeps it instead of becoming speed 0 etc.
void storeChoice(const LocalPortChoice& choice, PortSettings& settings);

class LocalPortForm {
public:
    explicit LocalPortForm(const PortTable& table);

    // The user selected port line `line` (-1: none). Stores the lists into the
    // port shown so far, then returns what the lists show for the new line, or
    // nullopt when no line is selected (the lists stay as they are).
    std::optional<LocalPortChoice> showPort(int line, const LocalPortChoice& listsNow);
    // OK: stores the lists into the port shown.
    void finish(const LocalPortChoice& listsNow);

    const PortTable& table() const { return m_table; }
    int shownPort() const { return m_shown; }

private:
    PortTable m_table;
    int m_shown = -1;
};

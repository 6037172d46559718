#pragma once
// Line settings of one KR-V remote port, the settings text the terminal sends
// to change them ("9600 8 none 1 none") and the status text the KR-V reports.

#include <optional>
#include <string>

struct RemotePortSettings {
    std::string speed = "9600";
    std::string dataBits = "8";
    std::string parity = "none";
    std::string stopBits = "1";
    std::string flow = "none";
};

// Five fields separated by single spaces: speed, data bits, parity, stop bits,
// flow control. Nothing when a field is missing or out of range.
std::optional<RemotePortSettings> parseSettingsText(const std::string& text);

// "[Baud]9600 bps[Data]8 bit[Parity]none [Stop]1 bit[Flow]none". The reader
// takes the speed up to the 4 characters before "[Data]", one character after
// "[Data]" and "[Stop]", the parity up to the 1 character before "[Stop]" and
// everything after "[Flow]"; the fixed suffixes " bps", " bit" and " " make
// those counts come out right.
std::string formatStatusText(const RemotePortSettings& settings);

#pragma once
// The remote port settings: the KR-V's port status text ("[Baud]19200....[Data]7.
// [Parity]odd.[Stop]2.[Flow]hardware") read into the dialog's five lists, and the
// port settings text ("9600 8 none 1 none") built from them.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "base/PortRecords.h"

inline constexpr std::array<std::string_view, remotePortCount> remotePortItems{"0", "1", "2", "3"};
inline constexpr std::array<std::string_view, 7> remoteSpeedItems{"2400", "4800", "9600", "19200",
                                                                  "38400", "57600", "115200"};
inline constexpr std::array<std::string_view, 2> remoteDataBitsItems{"7", "8"};
inline constexpr std::array<std::string_view, 3> remoteParityItems{"even", "odd", "none"};
inline constexpr std::array<std::string_view, 2> remoteStopBitsItems{"1", "2"};
inline constexpr std::array<std::string_view, 2> remoteFlowItems{"hardware", "none"};

// Selected positions of the five setting lists; -1 is no selection.
struct RemotePortChoice {
    int speed = -1;
    int dataBits = -1;
    int parity = -1;
    int stopBits = -1;
    int flow = -1;
    bool operator==(const RemotePortChoice&) const = default;
};

// 9600, 8, none, 1, none.
RemotePortChoice defaultRemoteChoice();

// The values found behind the tags, each ending where a next tag ("[") begins;
// a value whose tag (or closing tag) is missing is nullopt.
struct PortStatusValues {
    std::optional<std::string> speed;
    std::optional<std::string> dataBits;
    std::optional<std::string> parity;
    std::optional<std::string> stopBits;
    std::optional<std::string> flow;
};

// nullopt for a text shorter than 5 bytes (a port never connected). Ranges are
// clipped to the text, so tags out of order give empty values, never a fault.
std::optional<PortStatusValues> parsePortStatusText(std::string_view status);

// What the lists show for a port: the defaults for a short text; otherwise
// each list moves to the first item beginning with its value (ignoring case; an
// empty value picks the first item), keeps `current` when no item does, and
// shows its default when the text lacks the value's tags.
RemotePortChoice choiceForStatusText(std::string_view status, const RemotePortChoice& current);

// Speed, data bits, parity, stop bits and flow joined by single spaces; a list
// without selection gives an empty field between its spaces.
std::string remoteSettingsText(const RemotePortChoice& choice);

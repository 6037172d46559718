#include "tools/krv-sim/RemotePortSettings.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool isDecimal(const std::string& text)
{
    return !text.empty() && text.size() <= 7 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

}  // namespace

std::optional<RemotePortSettings> parseSettingsText(const std::string& text)
{
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        const auto space = text.find(' ', start);
        fields.push_back(text.substr(start, space == std::string::npos ? std::string::npos : space - start));
        if (space == std::string::npos) {
            break;
        }
        start = space + 1;
    }
    if (fields.size() != 5) {
        return std::nullopt;
    }
    RemotePortSettings settings{fields[0], fields[1], lower(fields[2]), fields[3], lower(fields[4])};
    const bool speedOk = isDecimal(settings.speed) && std::stol(settings.speed) >= 50;
    const bool dataOk = settings.dataBits.size() == 1 && settings.dataBits[0] >= '5' && settings.dataBits[0] <= '8';
    const bool parityOk = settings.parity == "none" || settings.parity == "odd" || settings.parity == "even" ||
                          settings.parity == "mark" || settings.parity == "space";
    const bool stopOk = settings.stopBits == "1" || settings.stopBits == "2";
    const bool flowOk = settings.flow == "none" || settings.flow == "hardware" || settings.flow == "xonxoff";
    if (!speedOk || !dataOk || !parityOk || !stopOk || !flowOk) {
        return std::nullopt;
    }
    return settings;
}

std::string formatStatusText(const RemotePortSettings& settings)
{
    return "[Baud]" + settings.speed + " bps" + "[Data]" + settings.dataBits + " bit" + "[Parity]" +
           settings.parity + " " + "[Stop]" + settings.stopBits + " bit" + "[Flow]" + settings.flow;
}

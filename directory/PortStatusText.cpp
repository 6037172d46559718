#include "directory/PortStatusText.h"

#include <span>

#include "directory/ListChoice.h"

namespace {

constexpr std::string_view baudTag = "[Baud]";
constexpr std::string_view dataTag = "[Data]";
constexpr std::string_view parityTag = "[Parity]";
constexpr std::string_view stopTag = "[Stop]";
constexpr std::string_view flowTag = "[Flow]";

// The characters from first, count of them, clipped to the text: a start before
// the text begins at its first character and a negative count gives nothing. A
// value ends where the next tag begins, so a tag followed at once by another
// ("[Stop][Flow]") has an empty value.
std::string clippedMid(std::string_view text, long first, long count)
{
    const long size = static_cast<long>(text.size());
    if (first < 0)
        first = 0;
    if (count < 0 || first >= size)
        return {};
    if (first + count > size)
        count = size - first;
    const std::string_view value = text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
    return std::string(value.substr(0, value.find('[')));
}

std::optional<long> tagAt(std::string_view text, std::string_view tag)
{
    const std::size_t pos = text.find(tag);
    if (pos == std::string_view::npos)
        return std::nullopt;
    return static_cast<long>(pos);
}

int pick(std::span<const std::string_view> items, const std::optional<std::string>& value, int current,
         int fallback)
{
    if (!value)
        return fallback;
    // Every item begins with an empty value: the first one is chosen.
    const int found = firstItemStartingWith(items, *value);
    return found >= 0 ? found : current;
}

std::string_view itemText(std::span<const std::string_view> items, int position)
{
    if (position < 0 || position >= static_cast<int>(items.size()))
        return {};
    return items[static_cast<std::size_t>(position)];
}

}  // namespace

RemotePortChoice defaultRemoteChoice()
{
    return RemotePortChoice{2, 1, 2, 0, 1};
}

std::optional<PortStatusValues> parsePortStatusText(std::string_view status)
{
    if (status.size() < 5)
        return std::nullopt;
    const auto baud = tagAt(status, baudTag);
    const auto data = tagAt(status, dataTag);
    const auto parity = tagAt(status, parityTag);
    const auto stop = tagAt(status, stopTag);
    const auto flow = tagAt(status, flowTag);
    const long textEnd = static_cast<long>(status.size());

    PortStatusValues values;
    if (baud && data) {
        // The speed ends 4 characters before "[Data]".
        const long first = *baud + static_cast<long>(baudTag.size());
        values.speed = clippedMid(status, first, *data - 4 - first);
    }
    if (data)
        values.dataBits = clippedMid(status, *data + static_cast<long>(dataTag.size()), 1);
    if (parity && stop) {
        // The parity ends 1 character before "[Stop]".
        const long first = *parity + static_cast<long>(parityTag.size());
        values.parity = clippedMid(status, first, *stop - 1 - first);
    }
    if (stop)
        values.stopBits = clippedMid(status, *stop + static_cast<long>(stopTag.size()), 1);
    if (flow) {
        const long first = *flow + static_cast<long>(flowTag.size());
        values.flow = clippedMid(status, first, textEnd - first);
    }
    return values;
}

RemotePortChoice choiceForStatusText(std::string_view status, const RemotePortChoice& current)
{
    const RemotePortChoice defaults = defaultRemoteChoice();
    const std::optional<PortStatusValues> values = parsePortStatusText(status);
    if (!values)
        return defaults;
    RemotePortChoice choice;
    choice.speed = pick(remoteSpeedItems, values->speed, current.speed, defaults.speed);
    choice.dataBits = pick(remoteDataBitsItems, values->dataBits, current.dataBits, defaults.dataBits);
    choice.parity = pick(remoteParityItems, values->parity, current.parity, defaults.parity);
    choice.stopBits = pick(remoteStopBitsItems, values->stopBits, current.stopBits, defaults.stopBits);
    choice.flow = pick(remoteFlowItems, values->flow, current.flow, defaults.flow);
    return choice;
}

std::string remoteSettingsText(const RemotePortChoice& choice)
{
    std::string text;
    text += itemText(remoteSpeedItems, choice.speed);
    text += ' ';
    text += itemText(remoteDataBitsItems, choice.dataBits);
    text += ' ';
    text += itemText(remoteParityItems, choice.parity);
    text += ' ';
    text += itemText(remoteStopBitsItems, choice.stopBits);
    text += ' ';
    text += itemText(remoteFlowItems, choice.flow);
    return text;
}

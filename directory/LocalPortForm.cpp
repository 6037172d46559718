#include "directory/LocalPortForm.h"

#include <charconv>
#include <span>
#include <string>

#include "directory/ListChoice.h"

namespace {

int positionIn(std::size_t listSize, int position)
{
    return (position >= 0 && position < static_cast<int>(listSize)) ? position : -1;
}

bool selected(std::size_t listSize, int position)
{
    return positionIn(listSize, position) >= 0;
}

// "115200" gives 1152: the item text without its last two characters.
int hundredsOfSpeedItem(std::string_view item)
{
    int value = 0;
    const std::string_view digits = item.substr(0, item.size() - 2);
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

}  // namespace

LocalPortChoice choiceForSettings(const PortSettings& settings)
{
    LocalPortChoice choice;
    const std::string speedText = std::to_string(settings.baudHundreds) + "00";
    choice.speed = firstItemStartingWith(localSpeedItems, speedText);
    choice.dataBits = positionIn(localDataBitsItems.size(), settings.dataBits - 5);
    choice.stopBits = positionIn(localStopBitsItems.size(), settings.stopBits - 1);
    choice.parity = positionIn(localParityItems.size(), settings.parity);
    return choice;
}

void storeChoice(const LocalPortChoice& choice, PortSettings& settings)
{
    if (selected(localSpeedItems.size(), choice.speed))
        settings.baudHundreds = hundredsOfSpeedItem(localSpeedItems[static_cast<std::size_t>(choice.speed)]);
    if (selected(localDataBitsItems.size(), choice.dataBits))
        settings.dataBits = choice.dataBits + 5;
    if (selected(localStopBitsItems.size(), choice.stopBits))
        settings.stopBits = choice.stopBits + 1;
    if (selected(localParityItems.size(), choice.parity))
        settings.parity = choice.parity;
}

LocalPortForm::LocalPortForm(const PortTable& table)
    : m_table(table)
{
}

std::optional<LocalPortChoice> LocalPortForm::showPort(int line, const LocalPortChoice& listsNow)
{
    if (m_shown >= 0)
        storeChoice(listsNow, m_table[static_cast<std::size_t>(m_shown)]);
    if (line < 0 || line >= static_cast<int>(m_table.size()))
        return std::nullopt;
    m_shown = line;
    return choiceForSettings(m_table[static_cast<std::size_t>(line)]);
}

void LocalPortForm::finish(const LocalPortChoice& listsNow)
{
    if (m_shown >= 0)
        storeChoice(listsNow, m_table[static_cast<std::size_t>(m_shown)]);
}

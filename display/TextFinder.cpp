#include "display/TextFinder.h"

#include <vector>

namespace {

unsigned char folded(unsigned char byte)
{
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// True when the text matches the row at a character's first cell. Both are
// read character by character, so the trail byte of a pair is compared as
// it is and only single-byte Latin letters fold their case.
bool matchesAt(std::string_view row, std::size_t first, std::string_view text)
{
    if (first + text.size() > row.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto wanted = static_cast<unsigned char>(text[i]);
        const auto found = static_cast<unsigned char>(row[first + i]);
        if (wanted >= 0x80 && i + 1 < text.size()) {
            if (found != wanted || row[first + i + 1] != text[i + 1])
                return false;
            ++i;
        } else if (folded(found) != folded(wanted)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<CellSpan> findText(const TextScreen& screen, std::string_view text, CellPoint from,
                                 FindDirection direction)
{
    if (text.empty())
        return std::nullopt;
    // Every match on the screen, in reading order; the screen is small.
    std::vector<CellSpan> matches;
    const long long firstLine = screen.linesScrolled();
    for (int row = 0; row < TextScreen::rows; ++row) {
        const std::string_view cells = screen.rowText(row);
        for (int column = 0; column < TextScreen::columns;) {
            if (matchesAt(cells, static_cast<std::size_t>(column), text)) {
                const int end = column + static_cast<int>(text.size());
                matches.push_back({{firstLine + row, column}, {firstLine + row, end}});
            }
            // On to the next character: a lead byte takes its trail with it.
            const bool pair = static_cast<unsigned char>(cells[static_cast<std::size_t>(column)]) >= 0x80
                && column + 1 < TextScreen::columns;
            column += pair ? 2 : 1;
        }
    }
    if (matches.empty())
        return std::nullopt;
    if (direction == FindDirection::Up) {
        for (auto match = matches.rbegin(); match != matches.rend(); ++match) {
            if (match->start < from)
                return *match;
        }
        return matches.back();
    }
    for (const CellSpan& match : matches) {
        if (match.start > from)
            return match;
    }
    return matches.front();
}

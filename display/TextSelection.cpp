#include "display/TextSelection.h"

#include <algorithm>

namespace {

constexpr int Columns = TextScreen::columns;

enum class CharacterKind { Blank, Word, Other };

bool isWordPunctuation(unsigned char byte)
{
    // Kept inside a word: paths, addresses, times, numbers and per cents.
    return std::string_view("_-.:/@%+~").find(static_cast<char>(byte)) != std::string_view::npos;
}

CharacterKind kindAt(std::string_view row, CharacterCells cells)
{
    const auto byte = static_cast<unsigned char>(row[static_cast<std::size_t>(cells.first)]);
    if (cells.end - cells.first == 2)
        return byte == 0xA1 ? CharacterKind::Other : CharacterKind::Word;  // row A1: punctuation
    if (byte <= 0x20 || byte == 0x7F)
        return CharacterKind::Blank;
    const bool alphanumeric =
        (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
    return alphanumeric || isWordPunctuation(byte) || byte >= 0x80 ? CharacterKind::Word : CharacterKind::Other;
}

bool isTrailingBlank(char byte)
{
    return byte == ' ' || byte == '\0';
}

}  // namespace

CharacterCells characterAt(std::string_view row, int column)
{
    const int size = static_cast<int>(row.size());
    column = std::clamp(column, 0, std::max(size - 1, 0));
    // Characters are found from the start of the row: a byte of 0x80 or more
    // starts a pair unless it is the last byte.
    for (int first = 0; first < size;) {
        const bool pair = static_cast<unsigned char>(row[static_cast<std::size_t>(first)]) >= 0x80 && first + 1 < size;
        const int end = first + (pair ? 2 : 1);
        if (column < end)
            return {first, end};
        first = end;
    }
    return {column, column + 1};
}

CellSpan TextSelection::unitAt(const TextScreen& screen, CellPoint at) const
{
    const std::string_view row = screen.rowText(static_cast<int>(at.line - screen.linesScrolled()));
    if (row.empty())
        return {at, at};  // off the screen
    if (m_unit == Unit::Row)
        return {{at.line, 0}, {at.line, Columns}};
    const CharacterCells here = characterAt(row, at.column);
    if (m_unit == Unit::Character)
        return {{at.line, here.first}, {at.line, here.end}};

    // A word: neighbouring characters of the same kind; other punctuation alone.
    const CharacterKind kind = kindAt(row, here);
    if (kind == CharacterKind::Other)
        return {{at.line, here.first}, {at.line, here.end}};
    CharacterCells first = here;
    while (first.first > 0) {
        const CharacterCells before = characterAt(row, first.first - 1);
        if (kindAt(row, before) != kind)
            break;
        first = before;
    }
    CharacterCells last = here;
    while (last.end < Columns) {
        const CharacterCells after = characterAt(row, last.end);
        if (kindAt(row, after) != kind)
            break;
        last = after;
    }
    return {{at.line, first.first}, {at.line, last.end}};
}

void TextSelection::begin(const TextScreen& screen, CellPoint at, Unit unit)
{
    m_begun = true;
    m_unit = unit;
    m_anchor = unitAt(screen, at);
    m_span = unit == Unit::Character ? CellSpan{m_anchor.start, m_anchor.start} : m_anchor;
}

void TextSelection::extend(const TextScreen& screen, CellPoint at)
{
    if (!m_begun) {
        begin(screen, at, Unit::Character);
        return;
    }
    const CellSpan there = unitAt(screen, at);
    if (there.empty())
        return;
    m_span = {std::min(m_anchor.start, there.start), std::max(m_anchor.end, there.end)};
}

void TextSelection::selectAll(const TextScreen& screen)
{
    const long long first = screen.linesScrolled();
    select({{first, 0}, {first + TextScreen::rows - 1, Columns}});
}

void TextSelection::select(const CellSpan& span)
{
    m_begun = true;
    m_unit = Unit::Character;
    m_anchor = span;
    m_span = span;
}

void TextSelection::clear()
{
    *this = TextSelection();
}

CellSpan TextSelection::spanFrom(long long firstLine) const
{
    const CellPoint top{firstLine, 0};
    CellSpan shown = m_span;
    shown.start = std::max(shown.start, top);
    if (shown.empty())
        return {};
    return shown;
}

std::vector<std::string> TextSelection::rows(const TextScreen& screen) const
{
    const CellSpan selected = span(screen);
    std::vector<std::string> rows;
    if (selected.empty())
        return rows;
    for (long long line = selected.start.line; line <= selected.end.line; ++line) {
        const int first = line == selected.start.line ? selected.start.column : 0;
        const int end = line == selected.end.line ? selected.end.column : Columns;
        if (line > selected.start.line && end == 0)
            break;  // the selection ends where this line starts
        const std::string_view row = screen.rowText(static_cast<int>(line - screen.linesScrolled()));
        std::string_view cells = row.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(end - first));
        while (!cells.empty() && isTrailingBlank(cells.back()))
            cells.remove_suffix(1);
        rows.emplace_back(cells);
    }
    return rows;
}

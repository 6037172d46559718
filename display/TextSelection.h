#pragma once
// Selecting text on a pane's text screen: the rules behind the pane's mouse
// gestures, copy and find. Cells are known by line number (the screen's
// linesScrolled() + row) and column, so a selection stays on its text while
// rows scroll in, and shrinks or ends as its lines leave the screen. A
// double-byte character is always taken whole. No widget, no thread.

#include <compare>
#include <string>
#include <string_view>
#include <vector>

#include "display/TextScreen.h"

struct CellPoint {
    long long line = 0;
    int column = 0;

    friend auto operator<=>(const CellPoint&, const CellPoint&) = default;
};

// The cells from start up to, not including, end, in reading order. An end
// column of TextScreen::Columns takes the rest of its line.
struct CellSpan {
    CellPoint start;
    CellPoint end;

    bool empty() const { return !(start < end); }
    friend bool operator==(const CellSpan&, const CellSpan&) = default;
};

// The cells [first, second) of the character that covers a column of a row.
struct CharacterCells {
    int first = 0;
    int end = 0;
};
CharacterCells characterAt(std::string_view row, int column);

class TextSelection {
public:
    enum class Unit { Character, Word, Row };

    // A press at a point. With Character nothing is selected until the
    // selection is extended; Word and Row select the word or row there.
    void begin(const TextScreen& screen, CellPoint at, Unit unit);
    // A drag to a point, or a Shift+click: from the unit first pressed to
    // the unit at the point, in whole units. A selection never begun starts
    // at the point.
    void extend(const TextScreen& screen, CellPoint at);
    void selectAll(const TextScreen& screen);
    // Selects exactly these cells (a found match), as if dragged over them.
    void select(const CellSpan& span);
    void clear();

    // The selected cells still on the screen; empty when there are none.
    CellSpan span(const TextScreen& screen) const { return spanFrom(screen.linesScrolled()); }
    // The same for a screen whose row 0 holds line firstLine.
    CellSpan spanFrom(long long firstLine) const;
    // The selected text, one string of code page 949 bytes per row, each
    // without its trailing blanks (spaces, and the empty cell after a lone
    // lead byte). Empty when nothing is selected.
    std::vector<std::string> rows(const TextScreen& screen) const;

private:
    CellSpan unitAt(const TextScreen& screen, CellPoint at) const;

    bool m_begun = false;
    Unit m_unit = Unit::Character;
    CellSpan m_anchor;  // the unit first pressed
    CellSpan m_span;
};

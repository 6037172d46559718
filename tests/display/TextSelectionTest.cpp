// Selecting, copying and finding text on the text screen: whole double-byte
// characters, words and rows, selections that ride on scrolling rows, and
// find with its wrap-round.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "display/TextFinder.h"
#include "display/TextSelection.h"

namespace {

using Rows = std::vector<std::string>;
using Unit = TextSelection::Unit;

constexpr int Last = TextScreen::cursorRow;
const std::string Han = "\xC7\xD1";   // code page 949 for U+D55C
const std::string Geul = "\xB1\xDB";  // U+AE00

// The line number of a screen row now.
long long lineOf(const TextScreen& screen, int row)
{
    return screen.linesScrolled() + row;
}

CellPoint at(const TextScreen& screen, int row, int column)
{
    return {lineOf(screen, row), column};
}

TEST(TextSelectionDrag, SelectsFromCellToCellAcrossRowsInEitherDirection)
{
    TextScreen screen;
    screen.putText("alpha beta\r\ngamma delta   ");
    TextSelection selection;
    selection.begin(screen, at(screen, Last - 1, 6), Unit::Character);
    EXPECT_TRUE(selection.rows(screen).empty());  // a press alone selects nothing
    selection.extend(screen, at(screen, Last, 2));
    EXPECT_EQ(selection.rows(screen), (Rows{"beta", "gam"}));

    // Dragged back above the press: the pressed cell stays the far end.
    selection.extend(screen, at(screen, Last - 1, 1));
    EXPECT_EQ(selection.rows(screen), (Rows{"lpha b"}));
}

TEST(TextSelectionDrag, DoubleByteCharacterIsAlwaysWhole)
{
    TextScreen screen;
    screen.putText("ab" + Han + Geul + "cd");  // columns: a b [Han] [Geul] c d
    TextSelection selection;
    selection.begin(screen, at(screen, Last, 3), Unit::Character);  // trail byte of Han
    selection.extend(screen, at(screen, Last, 4));                  // lead byte of Geul
    EXPECT_EQ(selection.rows(screen), (Rows{Han + Geul}));
    EXPECT_EQ(selection.span(screen), (CellSpan{at(screen, Last, 2), at(screen, Last, 6)}));

    selection.begin(screen, at(screen, Last, 5), Unit::Character);
    selection.extend(screen, at(screen, Last, 5));
    EXPECT_EQ(selection.rows(screen), (Rows{Geul}));
}

TEST(TextSelectionUnits, DoubleClickSelectsAWordAndTripleClickARow)
{
    TextScreen screen;
    screen.putText("CONNECT 115200/ttyS0, " + Han + Geul + "1 (ok)");
    TextSelection selection;
    selection.begin(screen, at(screen, Last, 10), Unit::Word);
    EXPECT_EQ(selection.rows(screen), (Rows{"115200/ttyS0"}));
    selection.begin(screen, at(screen, Last, 23), Unit::Word);  // inside the Korean word
    EXPECT_EQ(selection.rows(screen), (Rows{Han + Geul + "1"}));
    selection.begin(screen, at(screen, Last, 28), Unit::Word);  // "(" stands alone
    EXPECT_EQ(selection.rows(screen), (Rows{"("}));
    // Dragging after a double-click goes word by word.
    selection.begin(screen, at(screen, Last, 2), Unit::Word);
    selection.extend(screen, at(screen, Last, 9));
    EXPECT_EQ(selection.rows(screen), (Rows{"CONNECT 115200/ttyS0"}));

    selection.begin(screen, at(screen, Last, 40), Unit::Row);
    EXPECT_EQ(selection.rows(screen), (Rows{"CONNECT 115200/ttyS0, " + Han + Geul + "1 (ok)"}));

    // A run of blanks is one word too (it copies as an empty row).
    screen.putText("\r\nOK    READY");
    selection.begin(screen, at(screen, Last, 4), Unit::Word);
    const CellSpan blanks = selection.span(screen);
    EXPECT_EQ(std::make_pair(blanks.start.column, blanks.end.column), std::make_pair(2, 6));
}

TEST(TextSelectionUnits, ShiftClickExtendsFromTheFirstPress)
{
    TextScreen screen;
    screen.putText("one two\r\nthree four");
    TextSelection selection;
    selection.begin(screen, at(screen, Last - 1, 4), Unit::Word);  // "two"
    selection.extend(screen, at(screen, Last, 1));
    EXPECT_EQ(selection.rows(screen), (Rows{"two", "three"}));
    selection.extend(screen, at(screen, Last - 1, 0));  // a second Shift+click, above
    EXPECT_EQ(selection.rows(screen), (Rows{"one two"}));

    TextSelection fresh;  // nothing pressed yet: the click starts it
    fresh.extend(screen, at(screen, Last, 0));
    fresh.extend(screen, at(screen, Last, 4));
    EXPECT_EQ(fresh.rows(screen), (Rows{"three"}));
}

TEST(TextSelectionCopy, RowsLoseTrailingBlanksAndSelectAllTakesTheScreen)
{
    TextScreen screen;
    screen.putText("first   \r\n\r\n  third\xC7");  // a lone lead byte at the end...
    screen.putText("\r\n");                        // ...keeps an empty cell after it
    TextSelection selection;
    selection.selectAll(screen);
    const Rows rows = selection.rows(screen);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(TextScreen::rows));
    EXPECT_EQ(rows[Last - 3], "first");
    EXPECT_EQ(rows[Last - 2], "");
    EXPECT_EQ(rows[Last - 1], "  third\xC7");
    EXPECT_EQ(rows[Last], "");
    selection.clear();
    EXPECT_TRUE(selection.rows(screen).empty());
}

TEST(TextSelectionScrolling, SelectionRidesItsRowsAndShrinksAsTheyLeave)
{
    TextScreen screen;
    screen.putText("keep me\r\nand me");
    TextSelection selection;
    selection.begin(screen, at(screen, Last - 1, 0), Unit::Character);
    selection.extend(screen, at(screen, Last, 5));

    screen.putText("\r\nnew line\r\n");  // two rows come in: the text moves up
    EXPECT_EQ(selection.span(screen).start, at(screen, Last - 3, 0));
    EXPECT_EQ(selection.rows(screen), (Rows{"keep me", "and me"}));

    screen.putText(std::string(Last - 3, '\n'));  // "keep me" reaches row 0...
    EXPECT_EQ(selection.rows(screen), (Rows{"keep me", "and me"}));
    screen.putText("\n");  // ...and leaves: the selection shrinks to what is left
    EXPECT_EQ(selection.rows(screen), (Rows{"and me"}));
    EXPECT_EQ(selection.span(screen).start, at(screen, 0, 0));
    screen.putText("\n");
    EXPECT_TRUE(selection.span(screen).empty());
    EXPECT_TRUE(selection.rows(screen).empty());
}

TEST(TextSelectionScrolling, WrappedLineCopiesAsTwoRows)
{
    // A line longer than a row continues on the next row; a double-byte
    // character that would not fit in the last column starts the next row.
    TextScreen screen;
    screen.putText(std::string(127, 'x') + Han + "tail");
    TextSelection selection;
    selection.begin(screen, at(screen, Last - 1, 120), Unit::Character);
    selection.extend(screen, at(screen, Last, 1));
    EXPECT_EQ(selection.rows(screen), (Rows{std::string(7, 'x'), Han}));
}

TEST(TextFind, NearestAboveTheBottomThenUpAndDownWithWrapRound)
{
    TextScreen screen;
    screen.putText("port OK\r\nnothing\r\nPort ok again\r\nlast");
    const CellPoint bottom{screen.linesScrolled() + TextScreen::rows, 0};
    const auto first = findText(screen, "port ok", bottom, FindDirection::Up);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(*first, (CellSpan{at(screen, Last - 1, 0), at(screen, Last - 1, 7)}));  // Latin letters in any case

    const auto up = findText(screen, "port ok", first->start, FindDirection::Up);
    ASSERT_TRUE(up.has_value());
    EXPECT_EQ(up->start, at(screen, Last - 3, 0));
    const auto wrapped = findText(screen, "port ok", up->start, FindDirection::Up);
    ASSERT_TRUE(wrapped.has_value());
    EXPECT_EQ(wrapped->start, first->start);  // round to the bottom again

    const auto down = findText(screen, "port ok", first->start, FindDirection::Down);
    ASSERT_TRUE(down.has_value());
    EXPECT_EQ(down->start, up->start);  // round to the top
}

TEST(TextFind, KoreanMatchesAsTypedAndNeverFromATrailByte)
{
    TextScreen screen;
    // 0xB0 0x41 is a double-byte character whose trail byte is 'A'.
    screen.putText("\xB0" "A" "bc " + Han + Geul + " abc");
    const CellPoint bottom{screen.linesScrolled() + TextScreen::rows, 0};
    const auto korean = findText(screen, Han + Geul, bottom, FindDirection::Up);
    ASSERT_TRUE(korean.has_value());
    EXPECT_EQ(*korean, (CellSpan{at(screen, Last, 5), at(screen, Last, 9)}));
    const auto latin = findText(screen, "abc", bottom, FindDirection::Up);
    ASSERT_TRUE(latin.has_value());
    EXPECT_EQ(latin->start, at(screen, Last, 10));
    const auto again = findText(screen, "abc", latin->start, FindDirection::Up);
    EXPECT_EQ(again->start, latin->start);  // the trail 'A' at column 1 is no match
    // The trail byte of a pair is compared exactly, not folded.
    EXPECT_FALSE(findText(screen, "\xB0" "a", bottom, FindDirection::Up).has_value());
}

TEST(TextFind, NoneFoundAndEmptyTextFindNothing)
{
    TextScreen screen;
    screen.putText("CONNECT 9600");
    const CellPoint bottom{screen.linesScrolled() + TextScreen::rows, 0};
    EXPECT_FALSE(findText(screen, "BUSY", bottom, FindDirection::Up).has_value());
    EXPECT_FALSE(findText(screen, "", bottom, FindDirection::Down).has_value());
    // A match never spans two rows, even of one wrapped line.
    screen.putText("\r" + std::string(126, '.') + "ab" + "cd");
    EXPECT_FALSE(findText(screen, "abcd", {screen.linesScrolled() + TextScreen::rows, 0}, FindDirection::Up));
}

}  // namespace

// The text screen as the bytes of a pane see it: cursor movement, wrapping,
// scrolling, double-byte characters and the damage a view repaints from.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "display/CellCharacters.h"
#include "display/TextScreen.h"

namespace {

constexpr int last = TextScreen::cursorRow;
const std::string han = "\xC7\xD1";  // code page 949 for U+D55C

std::string trimmed(std::string_view row)
{
    const auto end = row.find_last_not_of(' ');
    return std::string(end == std::string_view::npos ? std::string_view() : row.substr(0, end + 1));
}

std::string blankRow()
{
    return std::string(TextScreen::columns, ' ');
}

TEST(TextScreenControls, CarriageReturnLineFeedMovesTextUpAndCursorHome)
{
    TextScreen screen;
    screen.putText("AB");
    screen.putText("\r\n");
    EXPECT_EQ(trimmed(screen.rowText(last - 1)), "AB");
    EXPECT_EQ(screen.rowText(last), blankRow());
    EXPECT_EQ(screen.cursorColumn(), 0);
}

TEST(TextScreenControls, LineFeedAloneKeepsTheColumn)
{
    TextScreen screen;
    screen.putText("AB\nCD");
    EXPECT_EQ(trimmed(screen.rowText(last - 1)), "AB");
    EXPECT_EQ(trimmed(screen.rowText(last)), "  CD");
    EXPECT_EQ(screen.cursorColumn(), 4);
}

TEST(TextScreenControls, BackspaceStopsAtColumnZeroAndNeverErases)
{
    TextScreen screen;
    screen.putText("\b\b");
    EXPECT_EQ(screen.cursorColumn(), 0);
    screen.putText("XY\b");
    EXPECT_EQ(screen.cursorColumn(), 1);
    EXPECT_EQ(trimmed(screen.rowText(last)), "XY");
    screen.putText("Z");
    EXPECT_EQ(trimmed(screen.rowText(last)), "XZ");
}

TEST(TextScreenControls, TabAdvancesOneColumnAndStaysInLastColumn)
{
    TextScreen screen;
    screen.putText("A\tB");
    EXPECT_EQ(trimmed(screen.rowText(last)), "A B");
    EXPECT_EQ(screen.cursorColumn(), 3);

    screen.putText("\r" + std::string(127, '.'));
    ASSERT_EQ(screen.cursorColumn(), 127);
    screen.putText("\t\t");
    EXPECT_EQ(screen.cursorColumn(), 127);
    EXPECT_EQ(screen.rowText(last).substr(0, 127), std::string(127, '.'));  // no scroll
}

TEST(TextScreenText, WrapsAfterTheLastColumn)
{
    TextScreen screen;
    const std::string text(128, 'x');
    screen.putText(text + "yz");
    EXPECT_EQ(screen.rowText(last - 1), text);
    EXPECT_EQ(trimmed(screen.rowText(last)), "yz");
    EXPECT_EQ(screen.cursorColumn(), 2);
}

TEST(TextScreenText, OtherControlBytesAreStoredAndZeroEndsTheText)
{
    TextScreen screen;
    screen.putText(std::string_view("A\x01\x1B\0CD", 6));
    EXPECT_EQ(screen.rowText(last).substr(0, 4), "A\x01\x1B ");
    EXPECT_EQ(screen.cursorColumn(), 3);
}

TEST(TextScreenText, StoredControlBytesShowAsTheirControlPictures)
{
    TextScreen screen;
    screen.putText(std::string_view("A\x01\x1F\x7F\x1B", 5));
    std::u16string shown;
    for (const char byte : screen.rowText(last).substr(0, 6)) {
        const auto cell = static_cast<unsigned char>(byte);
        shown += isBlankCell(cell) ? u' ' : singleByteCellCharacter(cell);
    }
    EXPECT_EQ(shown, u"A\u2401\u241F\u2421\u241B ");
    EXPECT_EQ(screen.rowText(last).substr(0, 5), "A\x01\x1F\x7F\x1B");
    EXPECT_TRUE(isBlankCell(0x00));
}

TEST(TextScreenText, EmptyTextChangesNothing)
{
    TextScreen screen;
    screen.putText("abc");
    screen.takeDamage();
    screen.putText("");
    screen.putText(std::string_view("\0x", 2));
    EXPECT_EQ(trimmed(screen.rowText(last)), "abc");
    EXPECT_EQ(screen.cursorColumn(), 3);
    EXPECT_FALSE(screen.takeDamage().any());
}

TEST(TextScreenText, LineLeavesTheTopAfterFiveHundredLineFeeds)
{
    TextScreen screen;
    screen.putText("first");
    screen.putText(std::string(499, '\n'));
    EXPECT_EQ(trimmed(screen.rowText(0)), "first");
    screen.putText("\n");
    for (int row = 0; row < TextScreen::rows; ++row)
        ASSERT_EQ(screen.rowText(row).find("first"), std::string_view::npos) << "row " << row;
}

TEST(TextScreenText, ClearKeepsTheCursorColumn)
{
    TextScreen screen;
    screen.putText("line\r\nabcde");
    screen.takeDamage();
    screen.clearScreen();
    const ScreenDamage damage = screen.takeDamage();
    EXPECT_EQ(damage.firstDirtyRow, 0);
    EXPECT_EQ(damage.lastDirtyRow, last);
    for (int row = 0; row < TextScreen::rows; ++row)
        ASSERT_EQ(screen.rowText(row), blankRow());
    screen.putText("f");
    EXPECT_EQ(screen.cell(last, 5), 'f');
    EXPECT_EQ(trimmed(screen.rowText(last)), "     f");
}

TEST(TextScreenDoubleByte, PairTakesTwoCellsAndAdvancesTwo)
{
    TextScreen screen;
    screen.putText(han + "A");
    EXPECT_EQ(screen.rowText(last).substr(0, 3), han + "A");
    EXPECT_EQ(screen.cursorColumn(), 3);
}

TEST(TextScreenDoubleByte, LeadByteAtTheEndOfOneTextJoinsTheNextText)
{
    // Local traffic arrives one byte per call.
    TextScreen whole;
    TextScreen byteByByte;
    const std::string text = "\xC7\xD1\xB1\xDB KR-V\r\n\xC7\xD1";
    whole.putText(text);
    for (char c : text) {
        byteByByte.putText(std::string(1, c));
        ASSERT_LE(byteByByte.cursorColumn(), 127);
    }
    for (int row = last - 1; row <= last; ++row)
        EXPECT_EQ(byteByByte.rowText(row), whole.rowText(row));
    EXPECT_EQ(byteByByte.cursorColumn(), 2);
    EXPECT_EQ(whole.cursorColumn(), 2);
}

TEST(TextScreenDoubleByte, PendingLeadIsNotShownUntilItsTrailArrives)
{
    TextScreen screen;
    screen.putText("\xC7");
    EXPECT_TRUE(screen.hasPendingLead());
    EXPECT_EQ(screen.rowText(last), blankRow());
    EXPECT_EQ(screen.cursorColumn(), 0);
    screen.putText("\xD1");
    EXPECT_FALSE(screen.hasPendingLead());
    EXPECT_EQ(screen.rowText(last).substr(0, 2), han);
}

TEST(TextScreenDoubleByte, LeadByteInLastColumnWrapsBeforeIt)
{
    TextScreen screen;
    screen.putText(std::string(127, '.') + han);
    EXPECT_EQ(screen.rowText(last - 1), std::string(127, '.') + " ");
    EXPECT_EQ(screen.rowText(last).substr(0, 2), han);
    EXPECT_EQ(screen.cursorColumn(), 2);
}

TEST(TextScreenDoubleByte, PairEndingInLastColumnWraps)
{
    TextScreen screen;
    screen.putText(std::string(126, '.') + han);
    EXPECT_EQ(screen.rowText(last - 1), std::string(126, '.') + han);
    EXPECT_EQ(screen.rowText(last), blankRow());
    EXPECT_EQ(screen.cursorColumn(), 0);
}

TEST(TextScreenDoubleByte, ControlByteAfterLeadKeepsItsMeaning)
{
    // A stray lead byte must not swallow the line break that follows it.
    TextScreen screen;
    screen.putText("\xC7");
    screen.putText("\r\n");
    EXPECT_EQ(screen.cell(last - 1, 0), 0xC7);
    EXPECT_EQ(screen.cell(last - 1, 1), 0x00);
    EXPECT_EQ(screen.cursorColumn(), 0);
    EXPECT_FALSE(screen.hasPendingLead());
}

TEST(TextScreenRobustness, RandomBytesNeverLeaveTheGrid)
{
    std::mt19937 random(949);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 40);
    TextScreen screen;
    for (int i = 0; i < 20000; ++i) {
        std::string text(static_cast<std::size_t>(length(random)), '\0');
        for (char& c : text)
            c = static_cast<char>(byte(random));
        screen.putText(text);
        ASSERT_GE(screen.cursorColumn(), 0);
        ASSERT_LE(screen.cursorColumn(), TextScreen::columns - 1);
    }
    for (int row = 0; row < TextScreen::rows; ++row)
        ASSERT_EQ(screen.rowText(row).size(), static_cast<std::size_t>(TextScreen::columns));
    EXPECT_EQ(screen.cell(-1, 0), ' ');
    EXPECT_EQ(screen.cell(0, TextScreen::columns), ' ');
    EXPECT_TRUE(screen.rowText(TextScreen::rows).empty());
}

TEST(TextScreenDamage, TypingDirtiesOnlyTheCursorRow)
{
    TextScreen screen;
    screen.takeDamage();
    screen.putText("abc\b\r");
    const ScreenDamage damage = screen.takeDamage();
    EXPECT_EQ(damage.scrolledRows, 0);
    EXPECT_EQ(damage.firstDirtyRow, last);
    EXPECT_EQ(damage.lastDirtyRow, last);
    EXPECT_FALSE(screen.takeDamage().any());
}

TEST(TextScreenDamage, LineFeedsCountScrolledRowsAndShiftDirtyRows)
{
    TextScreen screen;
    screen.putText("abc");
    screen.takeDamage();
    screen.putText("x\n\ny");
    ScreenDamage damage = screen.takeDamage();
    EXPECT_EQ(damage.scrolledRows, 2);
    // The row written before the scrolls is now row 497; the rows after it are new.
    EXPECT_EQ(damage.firstDirtyRow, last - 2);
    EXPECT_EQ(damage.lastDirtyRow, last);

    screen.putText(std::string(600, '\n'));
    damage = screen.takeDamage();
    EXPECT_EQ(damage.scrolledRows, TextScreen::rows);
}

}  // namespace

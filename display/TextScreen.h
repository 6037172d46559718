#pragma once
// The text screen of a terminal pane: 500 rows of 128 byte cells holding code
// page 949 text, row 0 the oldest and row 499 the line being written. It
// interprets the bytes written to a pane and remembers what changed so that a
// view can repaint only that. It knows nothing of any widget, thread or file.

#include <array>
#include <cstdint>
#include <string_view>

// What changed since the last takeDamage(): first the rows scrolled off the top
// (every remaining row moved up by that many), then the rows, counted after the
// scroll, whose content or cursor differs. A view holding a picture of the
// screen shifts it by scrolledRows and redraws rows firstDirtyRow..lastDirtyRow.
struct ScreenDamage {
    int scrolledRows = 0;
    int firstDirtyRow = 0;
    int lastDirtyRow = -1;

    bool hasDirtyRows() const { return firstDirtyRow <= lastDirtyRow; }
    bool any() const { return scrolledRows > 0 || hasDirtyRows(); }
};

class TextScreen {
public:
    static constexpr int rows = 500;
    static constexpr int columns = 128;
    static constexpr int cursorRow = rows - 1;

    TextScreen();

    // Interprets the bytes up to the first zero byte: BS, CR, TAB and LF move
    // the cursor; every other byte is stored at the cursor and advances it. A
    // byte of 0x80 or above starts a double-byte character whose trail byte is
    // the next byte, even when that arrives in the next call.
    void putText(std::string_view text);

    // Blanks every cell. The cursor column and a pending lead byte stay.
    void clearScreen();

    // The byte in a cell; a space outside the screen.
    unsigned char cell(int row, int column) const;
    // The 128 bytes of a row; empty outside the screen.
    std::string_view rowText(int row) const;
    int cursorColumn() const { return m_cursorColumn; }
    // True while a lead byte waits for its trail byte from the next text.
    bool hasPendingLead() const { return m_pendingLead != 0; }

    // Returns the changes since the previous call and starts collecting anew.
    ScreenDamage takeDamage();
    // Rows scrolled off since the last takeDamage(), without taking anything.
    int pendingScrolledRows() const { return m_damage.scrolledRows; }

private:
    using Row = std::array<char, columns>;

    Row& physicalRow(int row);
    const Row& physicalRow(int row) const;
    void putByte(unsigned char byte);
    void putPair(unsigned char lead, unsigned char trail);
    void store(unsigned char byte);
    void advance();
    void lineFeed();
    void markDirty(int row);
    void markCursorMoved() { markDirty(cursorRow); }

    // Rows live in a ring so that a line feed moves an index, not 64,000 bytes;
    // screen row r is m_rows[(m_top + r) % rows].
    std::array<Row, rows> m_rows;
    int m_top = 0;
    int m_cursorColumn = 0;
    unsigned char m_pendingLead = 0;
    ScreenDamage m_damage;
};

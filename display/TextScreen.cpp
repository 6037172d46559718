#include "display/TextScreen.h"

#include <algorithm>

namespace {

enum ControlByte : unsigned char {
    Backspace = 0x08,
    Tab = 0x09,
    LineFeed = 0x0A,
    CarriageReturn = 0x0D,
    Space = 0x20,
};

bool isLeadByte(unsigned char byte) { return byte >= 0x80; }

// A control byte never completes a double-byte character: taking a line feed
// as a trail byte would swallow the line break after a stray lead byte.
bool canBeTrail(unsigned char byte) { return byte >= 0x20; }

}  // namespace

TextScreen::TextScreen()
{
    for (Row& row : m_rows)
        row.fill(static_cast<char>(Space));
}

TextScreen::Row& TextScreen::physicalRow(int row)
{
    return m_rows[static_cast<std::size_t>((m_top + row) % rows)];
}

const TextScreen::Row& TextScreen::physicalRow(int row) const
{
    return m_rows[static_cast<std::size_t>((m_top + row) % rows)];
}

unsigned char TextScreen::cell(int row, int column) const
{
    if (row < 0 || row >= rows || column < 0 || column >= columns)
        return Space;
    return static_cast<unsigned char>(physicalRow(row)[static_cast<std::size_t>(column)]);
}

std::string_view TextScreen::rowText(int row) const
{
    if (row < 0 || row >= rows)
        return {};
    const Row& r = physicalRow(row);
    return std::string_view(r.data(), r.size());
}

void TextScreen::putText(std::string_view text)
{
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0)
            return;  // texts end at their first zero byte
        if (m_pendingLead != 0) {
            const unsigned char lead = m_pendingLead;
            m_pendingLead = 0;
            if (canBeTrail(byte)) {
                putPair(lead, byte);
                continue;
            }
            putPair(lead, 0);  // the lead keeps its two cells; the control byte still acts
        }
        putByte(byte);
    }
}

void TextScreen::putByte(unsigned char byte)
{
    switch (byte) {
    case Backspace:
        if (m_cursorColumn > 0)
            --m_cursorColumn;
        markCursorMoved();
        return;
    case CarriageReturn:
        m_cursorColumn = 0;
        markCursorMoved();
        return;
    case Tab:
        // One column, no tab stops; in the last column the cursor stays.
        if (m_cursorColumn < columns - 1)
            ++m_cursorColumn;
        markCursorMoved();
        return;
    case LineFeed:
        lineFeed();
        return;
    default:
        break;
    }
    if (isLeadByte(byte)) {
        m_pendingLead = byte;  // drawn once its trail byte is known
        return;
    }
    store(byte);
    advance();
}

void TextScreen::putPair(unsigned char lead, unsigned char trail)
{
    // Both halves share one row: a lead byte in the last column starts a new row.
    if (m_cursorColumn == columns - 1) {
        lineFeed();
        m_cursorColumn = 0;
    }
    store(lead);
    ++m_cursorColumn;
    store(trail);
    advance();
}

void TextScreen::store(unsigned char byte)
{
    physicalRow(cursorRow)[static_cast<std::size_t>(m_cursorColumn)] = static_cast<char>(byte);
    markDirty(cursorRow);
}

void TextScreen::advance()
{
    ++m_cursorColumn;
    if (m_cursorColumn == columns) {
        lineFeed();
        m_cursorColumn = 0;
    }
    markCursorMoved();
}

void TextScreen::lineFeed()
{
    m_top = (m_top + 1) % rows;
    physicalRow(cursorRow).fill(static_cast<char>(Space));

    m_damage.scrolledRows = std::min(m_damage.scrolledRows + 1, rows);
    if (m_damage.hasDirtyRows()) {
        m_damage.firstDirtyRow = std::max(m_damage.firstDirtyRow - 1, 0);
        --m_damage.lastDirtyRow;
    }
    markDirty(cursorRow);
}

void TextScreen::clearScreen()
{
    for (Row& row : m_rows)
        row.fill(static_cast<char>(Space));
    m_damage.firstDirtyRow = 0;
    m_damage.lastDirtyRow = rows - 1;
}

void TextScreen::markDirty(int row)
{
    if (!m_damage.hasDirtyRows()) {
        m_damage.firstDirtyRow = row;
        m_damage.lastDirtyRow = row;
        return;
    }
    m_damage.firstDirtyRow = std::min(m_damage.firstDirtyRow, row);
    m_damage.lastDirtyRow = std::max(m_damage.lastDirtyRow, row);
}

ScreenDamage TextScreen::takeDamage()
{
    const ScreenDamage damage = m_damage;
    m_damage = ScreenDamage{};
    return damage;
}

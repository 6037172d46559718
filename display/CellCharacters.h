#pragma once
// What a single-byte cell of the text screen shows. The screen keeps every byte
// as it arrived; a control byte is shown as its Unicode control picture, so an
// operator sees that a device sent it.

// A space or an empty (zero) cell shows nothing. Backspace, tab, line feed and
// carriage return move the cursor and are never stored; should one be in a
// cell it shows nothing either.
constexpr bool isBlankCell(unsigned char byte)
{
    return byte == 0x00 || byte == 0x20 || byte == 0x08 || byte == 0x09 || byte == 0x0A || byte == 0x0D;
}

// The character a cell holding a byte below 0x80 shows: the byte itself, or for
// a control byte its control picture, U+2401..U+241F for 0x01..0x1F and U+2421
// for DEL (0x7F).
constexpr char16_t singleByteCellCharacter(unsigned char byte)
{
    if (byte >= 0x01 && byte <= 0x1F)
        return static_cast<char16_t>(0x2400 + byte);
    if (byte == 0x7F)
        return u'\u2421';
    return byte;
}

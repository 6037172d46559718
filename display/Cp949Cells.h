#pragma once
// Turns the byte cells of a screen row into characters: one character per
// single-byte cell and one per double-byte pair, decoded from code page 949.
// Drawing, copying and finding all read cells through cellCharacter().

#include <QChar>
#include <QString>

#include <cstddef>
#include <string_view>

#include "display/CellCharacters.h"

// The character of a lead/trail pair, U+FFFD when the pair is not valid text.
// Results are cached; call it from the window thread only.
QChar cp949PairChar(unsigned char lead, unsigned char trail);


// What the cell at a column of a row shows: its character (a space for a
// blank cell, which is drawn as background; a control byte's picture) and how many cells that covers,
// 2 for a double-byte pair. Window thread only.
struct CellCharacter {
    QChar ch;
    int width = 1;
};
CellCharacter cellCharacter(std::string_view row, std::size_t column);

// The row as text, trailing blanks trimmed. Window thread only.
QString cp949RowText(std::string_view row);

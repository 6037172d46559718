#pragma once
// Turns the byte cells of a screen row into characters: one character per
// single-byte cell and one per double-byte pair, decoded from code page 949.

#include <QChar>
#include <QString>

#include <string_view>

#include "display/CellCharacters.h"

// The character of a lead/trail pair, U+FFFD when the pair is not valid text.
// Results are cached; call it from the window thread only.
QChar cp949PairChar(unsigned char lead, unsigned char trail);

// The row as text, as it is shown: control bytes as their pictures, trailing
// blanks trimmed. Window thread only.
QString cp949RowText(std::string_view row);

#include "display/Cp949Cells.h"

#include <array>
#include <string>

#include "base/QtText.h"

QChar cp949PairChar(unsigned char lead, unsigned char trail)
{
    // Lead bytes 0x80..0xFF times every trail byte; 0 marks a pair not yet decoded.
    static std::array<char16_t, 0x80 * 0x100> cache{};
    char16_t& slot = cache[static_cast<std::size_t>((lead - 0x80) * 0x100 + trail)];
    if (slot == 0) {
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const QString decoded = fromCp949(std::string_view(pair, 2));
        slot = decoded.size() == 1 ? decoded.at(0).unicode() : char16_t{0xFFFD};
    }
    return QChar(slot);
}

QString cp949RowText(std::string_view row)
{
    QString text;
    text.reserve(static_cast<qsizetype>(row.size()));
    for (std::size_t column = 0; column < row.size(); ++column) {
        const auto byte = static_cast<unsigned char>(row[column]);
        if (byte >= 0x80) {
            if (column + 1 < row.size()) {
                text.append(cp949PairChar(byte, static_cast<unsigned char>(row[column + 1])));
                ++column;
            } else {
                text.append(QChar(0xFFFD));
            }
        } else {
            text.append(isBlankCell(byte) ? QChar(u' ') : QChar(singleByteCellCharacter(byte)));
        }
    }
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    return text;
}

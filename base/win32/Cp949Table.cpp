#include "base/Cp949Table.h"

#include <windows.h>

namespace {

constexpr UINT codePage949 = 949;

// The character the bytes stand for when Windows takes all of them as one.
char16_t decoded(const char* bytes, int length)
{
    wchar_t out[2] = {};
    const int count = MultiByteToWideChar(codePage949, MB_ERR_INVALID_CHARS, bytes, length, out, 2);
    return count == 1 ? static_cast<char16_t>(out[0]) : 0;
}

}  // namespace

std::vector<char16_t> systemCp949Table()
{
    std::vector<char16_t> table(65536, 0);
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        const char single[1] = {static_cast<char>(byte)};
        table[byte] = decoded(single, 1);
    }
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x41; trail <= 0xFE; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            table[lead * 256 + trail] = decoded(pair, 2);
        }
    }
    return table;
}

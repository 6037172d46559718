#include "base/Cp949Table.h"

#include <iconv.h>

namespace {

// The character the bytes stand for when iconv takes all of them as one.
char16_t decoded(iconv_t cd, unsigned char* bytes, std::size_t length)
{
    char* in = reinterpret_cast<char*>(bytes);
    std::size_t inLeft = length;
    unsigned char out[4] = {};
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0 || sizeof out - outLeft != 2)
        return 0;
    return static_cast<char16_t>(out[0] | (out[1] << 8));
}

}  // namespace

std::vector<char16_t> systemCp949Table()
{
    std::vector<char16_t> table(65536, 0);
    const iconv_t cd = iconv_open("UTF-16LE", "CP949");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return table;
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        unsigned char single[1] = {static_cast<unsigned char>(byte)};
        table[byte] = decoded(cd, single, 1);
    }
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x41; trail <= 0xFE; ++trail) {
            unsigned char pair[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            table[lead * 256 + trail] = decoded(cd, pair, 2);
        }
    }
    iconv_close(cd);
    return table;
}

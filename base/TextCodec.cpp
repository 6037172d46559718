#include "base/TextCodec.h"

#include <cerrno>
#include <iconv.h>

namespace {

// Converts with iconv, replacing each unconvertible input unit and carrying on.
std::string convert(std::string_view in, const char* from, const char* to, std::string_view replacement,
                    std::size_t badUnit)
{
    std::string out;
    if (in.empty())
        return out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(in);
    out.reserve(in.size() * 3 / 2 + 8);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buffer[1024];
    while (srcLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (rc != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (truncated at the end): skip one bad unit.
        std::size_t skip = badUnit;
        if (badUnit == 0) {  // a whole UTF-8 sequence
            unsigned char lead = static_cast<unsigned char>(*src);
            skip = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        }
        if (skip > srcLeft)
            skip = srcLeft;
        src += skip;
        srcLeft -= skip;
        out.append(replacement);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string cp949ToUtf8(std::string_view cp949)
{
    return convert(cp949, "CP949", "UTF-8", "\xEF\xBF\xBD", 1);
}

std::string utf8ToCp949(std::string_view utf8)
{
    return convert(utf8, "UTF-8", "CP949", "?", 0);
}

std::size_t cp949Length(std::string_view utf8)
{
    return utf8ToCp949(utf8).size();
}

#include "launcher/Cp949.h"

#include <cerrno>
#include <iconv.h>

namespace launcher {

std::optional<std::string> utf8ToCp949(std::string_view utf8)
{
    iconv_t cd = iconv_open("CP949", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;

    // Code page 949 never needs more bytes than UTF-8 for the same text.
    std::string out(utf8.size(), '\0');
    std::string in(utf8);
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();

    const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    // A non-reversible conversion (count above zero) means glibc substituted a
    // character; treat that as unrepresentable too.
    if (result != 0 || inLeft != 0)
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace launcher

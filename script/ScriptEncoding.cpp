#include "script/ScriptEncoding.h"

#include <algorithm>

#include "base/TextCodec.h"

namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

// Length of the valid UTF-8 sequence at the start of `bytes`, 0 if there is none:
// no overlong forms, no surrogates, nothing above U+10FFFF.
std::size_t utf8SequenceLength(std::string_view bytes)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (at(i) < 0x80 || at(i) > 0xBF)
            return 0;
    }
    return length;
}

// Offset of the first byte that is not valid UTF-8, or npos.
std::size_t firstInvalidUtf8(std::string_view bytes)
{
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = utf8SequenceLength(bytes.substr(at));
        if (length == 0)
            return at;
        at += length;
    }
    return std::string_view::npos;
}

int lineOfOffset(std::string_view bytes, std::size_t offset)
{
    return 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

}  // namespace

bool isValidUtf8(std::string_view bytes)
{
    return firstInvalidUtf8(bytes) == std::string_view::npos;
}

std::variant<DecodedText, DecodeFault> decodeScriptBytes(std::string_view bytes)
{
    const bool marked = bytes.starts_with(byteOrderMark);
    if (marked)
        bytes.remove_prefix(byteOrderMark.size());
    const std::size_t invalid = firstInvalidUtf8(bytes);
    if (marked && invalid != std::string_view::npos)
        return DecodeFault{lineOfOffset(bytes, invalid),
                           "the file begins with a UTF-8 byte order mark but this line is not valid UTF-8"};
    const bool wide = std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) > 0x7F; });
    if (!marked && (invalid != std::string_view::npos || !wide))
        return DecodedText{std::string(bytes), ScriptEncoding::Cp949};

    // Line by line, so a character code page 949 lacks is told with its line.
    DecodedText decoded{{}, ScriptEncoding::Utf8};
    decoded.cp949.reserve(bytes.size());
    int line = 1;
    while (!bytes.empty()) {
        const std::size_t end = std::min(bytes.find('\n'), bytes.size());
        const std::string_view text = bytes.substr(0, end);
        const std::string converted = utf8ToCp949(text);
        if (cp949ToUtf8(converted) != text)
            return DecodeFault{line, "this line holds a character that code page 949 lacks"};
        decoded.cp949 += converted;
        if (end < bytes.size())
            decoded.cp949 += '\n';
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
        ++line;
    }
    return decoded;
}

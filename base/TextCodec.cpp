#include "base/TextCodec.h"

#include <cstdint>
#include <vector>

#include "base/Cp949Table.h"

namespace {

// Both directions of the system's mapping, taken once.
struct Cp949Tables {
    std::vector<char16_t> toUnicode;       // see systemCp949Table
    std::vector<std::uint16_t> fromUnicode;  // by UTF-16 unit: a byte, lead * 256 + trail, or 0

    Cp949Tables()
        : toUnicode(systemCp949Table())
        , fromUnicode(65536, 0)
    {
        // Where two codes give one character, the lower code is the one written.
        for (std::size_t code = 0x80; code < toUnicode.size(); ++code) {
            const char16_t unit = toUnicode[code];
            if (unit >= 0x80 && fromUnicode[unit] == 0)
                fromUnicode[unit] = static_cast<std::uint16_t>(code);
        }
    }
};

const Cp949Tables& tables()
{
    static const Cp949Tables built;
    return built;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The length a UTF-8 lead byte announces; what a broken sequence skips.
std::size_t announcedLength(unsigned char lead)
{
    return lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

// Decodes one well-formed UTF-8 sequence at the start of `in` (no overlong
// forms, no surrogates, nothing past U+10FFFF); false for anything else.
bool decodeUtf8(std::string_view in, char32_t& c, std::size_t& length)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(in[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        c = lead;
        length = 1;
        return true;
    }
    if (lead < 0xC2 || lead > 0xF4)
        return false;
    length = announcedLength(lead);
    if (in.size() < length)
        return false;
    c = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return false;
        c = (c << 6) | (byte(i) & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    return c >= smallest[length] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

// Converts to code page 949; false at the first sequence that cannot be
// converted when `exact`, else such sequences become '?'.
bool toCp949(std::string_view utf8, std::string& out, bool exact)
{
    const Cp949Tables& table = tables();
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t c = 0;
        std::size_t length = 0;
        const bool valid = decodeUtf8(utf8.substr(i), c, length);
        const std::uint16_t code = valid && c >= 0x80 && c <= 0xFFFF ? table.fromUnicode[c] : 0;
        if (valid && c < 0x80) {
            out += static_cast<char>(c);
        } else if (code > 0xFF) {
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        } else if (code != 0) {
            out += static_cast<char>(code);
        } else if (exact) {
            return false;
        } else {
            out += '?';
            if (!valid)
                length = announcedLength(static_cast<unsigned char>(utf8[i]));
        }
        i += length < utf8.size() - i ? length : utf8.size() - i;
    }
    return true;
}

}  // namespace

std::string cp949ToUtf8(std::string_view cp949)
{
    const Cp949Tables& table = tables();
    std::string out;
    out.reserve(cp949.size() * 3 / 2 + 8);
    std::size_t i = 0;
    while (i < cp949.size()) {
        const auto lead = static_cast<unsigned char>(cp949[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        if (i + 1 < cp949.size() && lead >= 0x81 && lead <= 0xFE) {
            const auto trail = static_cast<unsigned char>(cp949[i + 1]);
            if (const char16_t unit = table.toUnicode[lead * 256U + trail]; unit != 0) {
                appendUtf8(out, unit);
                i += 2;
                continue;
            }
        }
        // One bad byte at a time: the byte after a bad lead may start a
        // character of its own.
        const char16_t single = table.toUnicode[lead];
        appendUtf8(out, single != 0 ? char32_t {single} : char32_t {0xFFFD});
        ++i;
    }
    return out;
}

std::string utf8ToCp949(std::string_view utf8)
{
    std::string out;
    toCp949(utf8, out, false);
    return out;
}

std::optional<std::string> utf8ToCp949Exactly(std::string_view utf8)
{
    std::string out;
    if (!toCp949(utf8, out, true))
        return std::nullopt;
    return out;
}

std::size_t cp949Length(std::string_view utf8)
{
    return utf8ToCp949(utf8).size();
}

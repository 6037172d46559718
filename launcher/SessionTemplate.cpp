#include "launcher/SessionTemplate.h"

#include <initializer_list>
#include <string_view>

namespace launcher {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Record {
    std::uint16_t tag;
    Bytes value;
};

void appendLe16(Bytes& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void appendLe32(Bytes& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFF));
}

Bytes u32(std::int64_t v)
{
    Bytes b;
    appendLe32(b, static_cast<std::uint32_t>(v));
    return b;
}

Bytes raw(std::initializer_list<std::uint8_t> v) { return Bytes(v); }

Bytes zeros(std::size_t n) { return Bytes(n, 0); }

// Text with its zero terminator.
Bytes zText(std::string_view text)
{
    Bytes b(text.begin(), text.end());
    b.push_back(0);
    return b;
}

// Text zero-padded to a fixed width.
Bytes paddedText(std::string_view text, std::size_t width)
{
    Bytes b(text.begin(), text.end());
    b.resize(width, 0);
    return b;
}

// "굴림체" (a fixed-pitch Hangul face) in code page 949.
constexpr std::string_view faceName = "\xB1\xBC\xB8\xB2\xC3\xBC";
constexpr std::uint8_t hangulCharset = 129;

// A font description in the 60-byte LOGFONT layout.
Bytes fontDescription(std::int32_t height)
{
    Bytes b;
    appendLe32(b, static_cast<std::uint32_t>(height));
    appendLe32(b, 0);   // width: from the height
    appendLe32(b, 0);   // escapement
    appendLe32(b, 0);   // orientation
    appendLe32(b, 400); // weight: normal
    b.push_back(0);     // italic
    b.push_back(0);     // underline
    b.push_back(0);     // strikeout
    b.push_back(hangulCharset);
    b.push_back(3);     // output precision: stroke
    b.push_back(2);     // clip precision: stroke
    b.push_back(1);     // quality: draft
    b.push_back(0x31);  // pitch and family: fixed pitch, modern family
    const Bytes face = paddedText(faceName, 32);
    b.insert(b.end(), face.begin(), face.end());
    return b;
}

constexpr std::string_view printerName = "Shared Laser Printer Queue 001";
constexpr std::string_view printerPath = "\\\\OPSROOM\\Shared Laser Printer Queue 001";
static_assert(printerPath.size() + 1 == 41, "printer path record holds 41 bytes");

// Setup block of the printer above: its name, then A4 portrait, one copy at
// full scale and 600 dpi, then zeroed driver-private space.
Bytes printerSetup()
{
    Bytes b = paddedText(printerName, 32);
    appendLe16(b, 1);   // orientation: portrait
    appendLe16(b, 9);   // paper: A4
    appendLe16(b, 1);   // copies
    appendLe16(b, 100); // scale, percent
    appendLe16(b, 600); // print quality, dpi
    b.resize(328, 0);
    return b;
}

// The placeholder host address; always replaced when a file is written.
constexpr std::string_view placeholderAddress = "192.168.0.1";

Bytes twentyFourThirteens()
{
    Bytes b;
    for (int i = 0; i < 24; ++i)
        appendLe16(b, 13);
    return b;
}

std::vector<Record> records()
{
    return {
        {0x0001, u32(101)},
        {0x0005, raw({0x78, 0x56, 0x34, 0x12})},
        {0x0010, zText(printerPath)},
        {0x0011, printerSetup()},
        {0x0022, fontDescription(-17)},
        {0x0023, zeros(16)},
        {0x0024, u32(100)},
        {0x0041, u32(82)},
        {0x0042, zText("02")},
        {0x0043, raw({0})},
        {0x0044, raw({0xD5, 0x75, 0x21, 0x5A})},
        {0x0046, u32(1)},
        {0x0047, u32(0)},
        {SessionTemplate::addressTag, zText(placeholderAddress)},
        {SessionTemplate::portTag, u32(23)},
        {0x0129, u32(4)},
        {0x012A, u32(1)},
        {0x0132, twentyFourThirteens()},
        {0x0135, u32(1)},
        {0x0136, u32(1)},
        {0x0200, u32(0)},
        {0x0201, u32(0)},
        {0x0202, u32(0)},
        {0x0203, u32(0)},
        {0x0204, raw({13})},
        {0x0205, u32(0)},
        {0x0206, u32(8)},
        {0x0207, u32(0)},
        {0x0208, u32(0)},
        {0x0209, u32(0)},
        {0x020A, u32(0)},
        {0x020B, u32(0)},
        {0x020D, u32(0)},
        {0x020E, u32(8)},
        {0x020F, u32(1)},
        {0x1011, u32(2400)},
        {0x1012, u32(8)},
        {0x1013, u32(0)},
        {0x1014, u32(0)},
        {0x1015, u32(20)},
        {0x1019, u32(0)},
        {0x1020, u32(0)},
        {0x1022, u32(0)},
        {0x1023, u32(0)},
        {0x1024, u32(0)},
        {0x1025, u32(0)},
        {0x1026, u32(0)},
        {0x1027, u32(0)},
        {0x1030, fontDescription(-19)},
        {0x1040, u32(1)},
        {0x1041, u32(1)},
    };
}

constexpr std::string_view headerText =
    "HyperTerminal 1.0 -- HyperTerminal data file\r\n"
    "Please do not attempt to modify this file directly.\r\n"
    "\r\n\r\n";
static_assert(headerText.size() == SessionTemplate::headerTextSize);

Bytes build()
{
    Bytes b(headerText.begin(), headerText.end());
    b.push_back(0x1A);
    b.resize(SessionTemplate::recordsOffset, 0);
    for (const Record& r : records()) {
        appendLe16(b, r.tag);
        appendLe32(b, static_cast<std::uint32_t>(r.value.size()));
        b.insert(b.end(), r.value.begin(), r.value.end());
    }
    return b;
}

} // namespace

const std::vector<std::uint8_t>& SessionTemplate::bytes()
{
    static const Bytes image = build();
    return image;
}

} // namespace launcher

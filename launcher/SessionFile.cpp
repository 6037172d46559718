#include "launcher/SessionFile.h"

#include "base/DataFile.h"
#include "launcher/SessionTemplate.h"

#include <vector>

namespace launcher {

bool writeSessionFile(const std::string& path, std::string_view address, std::uint16_t port)
{
    using T = SessionTemplate;
    const std::vector<std::uint8_t>& image = T::bytes();
    const std::uint8_t* base = image.data();
    const std::uint32_t addressLength = static_cast<std::uint32_t>(address.size()) + 1;
    const std::uint8_t lengthField[4] = {
        static_cast<std::uint8_t>(addressLength & 0xFF),
        static_cast<std::uint8_t>((addressLength >> 8) & 0xFF),
        static_cast<std::uint8_t>((addressLength >> 16) & 0xFF),
        static_cast<std::uint8_t>(addressLength >> 24),
    };
    const std::uint8_t portLow[2] = {
        static_cast<std::uint8_t>(port & 0xFF),
        static_cast<std::uint8_t>(port >> 8),
    };

    struct Piece {
        const void* data;
        std::size_t size;
    };
    // Header and records up to the address tag; the address length; the
    // address; its terminator with the port tag and length; the port's low two
    // bytes; the port's zero high bytes and every later record.
    const Piece pieces[] = {
        {base, T::addressLengthOffset},
        {lengthField, sizeof lengthField},
        {address.data(), address.size()},
        {base + T::addressTerminatorOffset, T::portValueOffset - T::addressTerminatorOffset},
        {portLow, sizeof portLow},
        {base + T::portValueOffset + 2, T::imageSize - T::portValueOffset - 2},
    };

    std::vector<std::uint8_t> bytes;
    bytes.reserve(T::imageSize + address.size());
    for (const Piece& p : pieces) {
        const auto* data = static_cast<const std::uint8_t*>(p.data);
        if (p.size != 0)
            bytes.insert(bytes.end(), data, data + p.size);
    }
    // A session file written earlier, or a link planted at its name, is
    // replaced as a directory entry and never written through.
    return replaceDataFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())).ok();
}

} // namespace launcher

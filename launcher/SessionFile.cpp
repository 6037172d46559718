#include "launcher/SessionFile.h"

#include "launcher/SessionTemplate.h"

#include <cstdio>
#include <vector>

namespace launcher {

bool writeSessionFile(const std::string& path, std::string_view address, std::uint16_t port)
{
    std::FILE* file = std::fopen(path.c_str(), "w+b");
    if (!file)
        return false;

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
        {base, T::kAddressLengthOffset},
        {lengthField, sizeof lengthField},
        {address.data(), address.size()},
        {base + T::kAddressTerminatorOffset, T::kPortValueOffset - T::kAddressTerminatorOffset},
        {portLow, sizeof portLow},
        {base + T::kPortValueOffset + 2, T::kSize - T::kPortValueOffset - 2},
    };

    bool ok = true;
    for (const Piece& p : pieces) {
        if (p.size != 0 && std::fwrite(p.data, 1, p.size, file) != p.size)
            ok = false;
    }
    if (std::fclose(file) != 0)
        ok = false;
    return ok;
}

} // namespace launcher

#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace launcher {

// The built-in image of a complete terminal-emulator session file. A session
// file is this image with two values replaced: the host address (record
// 0x0051) and the TCP port (record 0x0052).
//
// Layout: a 103-byte text header, the byte 0x1A, 152 zero bytes, then 51
// records back to back, each a 16-bit tag, a 32-bit length and that many value
// bytes (integers little-endian).
class SessionTemplate {
public:
    static constexpr std::size_t imageSize = 1296;
    static constexpr std::size_t headerTextSize = 103;
    static constexpr std::size_t recordsOffset = 256;
    static constexpr std::size_t recordCount = 51;

    static constexpr std::uint16_t addressTag = 0x0051;
    static constexpr std::size_t addressTagOffset = 811;
    static constexpr std::size_t addressLengthOffset = 813;
    static constexpr std::size_t addressValueOffset = 817;
    // Offset of the placeholder address's zero terminator.
    static constexpr std::size_t addressTerminatorOffset = 828;

    static constexpr std::uint16_t portTag = 0x0052;
    static constexpr std::size_t portTagOffset = 829;
    static constexpr std::size_t portValueOffset = 835;

    // The 1296 template bytes, built once from the record list.
    static const std::vector<std::uint8_t>& bytes();
};

} // namespace launcher

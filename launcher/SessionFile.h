#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace launcher {

// Writes a session file: the template with the host address (code page 949
// bytes, without terminator) and the 16-bit TCP port put in. The file is
// 1285 + address length bytes long. Creates or truncates `path`; gives false
// when the file cannot be created or fully written (the launcher does not
// report it).
bool writeSessionFile(const std::string& path, std::string_view address, std::uint16_t port);

} // namespace launcher

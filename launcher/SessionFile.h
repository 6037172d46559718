#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace launcher {

// Writes a session file: the template with the host address (code page 949
// bytes, without terminator) and the 16-bit TCP port put in. The file is
// 1285 + address length bytes long. The file is written complete under a new
// name beside `path` (owner-only) and renamed over it, so whatever stands at
// `path`, an earlier session file or a planted symbolic link, is replaced and a
// link's target is never written. Gives false when the file cannot be written
// (the launcher does not report it); `path` is then left as it was.
bool writeSessionFile(const std::string& path, std::string_view address, std::uint16_t port);

} // namespace launcher

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace launcher {

// The TCP port value of a port text: what atoi gives (leading blanks and a
// sign allowed, no digits gives 0), reduced to its low 16 bits, so "65559"
// is 23 and "-1" is 65535.
std::uint16_t portValueOf(std::string_view portText);

// The session file name for a unit (UTF-8, as file names are on Linux):
// the console (23) and the four port devices (7200 to 7203) have names of
// their own; any other port value gets the arbitrary-port form carrying the
// port text exactly as given.
std::string sessionFileName(std::string_view name, std::string_view address,
                            std::string_view portText, std::uint16_t port);

// True when text can become part of a file name without leaving the launcher's
// directory or hiding characters: no path separator ('/' or '\\'), no "..",
// and no control byte (below 0x20, or 0x7F). Checked on the UTF-8 text, in
// which these bytes never occur inside a multibyte character.
bool isSafeFileNamePart(std::string_view text);

} // namespace launcher

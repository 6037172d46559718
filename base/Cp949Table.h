#pragma once
// Code page 949 as the operating system reads it (iconv's CP949 on Linux,
// MultiByteToWideChar(949) on Windows), taken once into a table so that the
// codec (base/TextCodec.h) applies the same rules on every system.

#include <vector>

// 65536 entries: entry b (0x80..0xFF) for a single byte, entry
// lead * 256 + trail for a double-byte character (lead 0x81..0xFE); each holds
// the UTF-16 unit the bytes stand for, or 0 when they stand for nothing.
// Entries below 0x80 are left 0: those bytes are ASCII.
std::vector<char16_t> systemCp949Table();

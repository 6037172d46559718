#pragma once
// Code page 949 (Unified Hangul Code) is the text of the wire and of every file;
// conversion happens only where text leaves for the operating system or Qt.
// The mapping is the operating system's own (base/Cp949Table.h); the rules for
// what cannot be mapped are the same everywhere.

#include <optional>
#include <string>
#include <string_view>

// Invalid or truncated sequences become U+FFFD (one per bad byte), so a damaged
// file still shows what can be read.
std::string cp949ToUtf8(std::string_view cp949);
// Characters that code page 949 lacks, and each broken UTF-8 sequence, become '?'.
std::string utf8ToCp949(std::string_view utf8);
// The same, but nothing when the text is not valid UTF-8 or holds a character
// code page 949 cannot represent: for fields that must hold exactly what was given.
std::optional<std::string> utf8ToCp949Exactly(std::string_view utf8);
// Number of bytes a UTF-8 text takes in code page 949.
std::size_t cp949Length(std::string_view utf8);

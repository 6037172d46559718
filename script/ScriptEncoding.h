#pragma once
// Script files (and the files sendfile sends) may be written in code page 949
// or in UTF-8; inside, every text is code page 949. A file is UTF-8 when it
// begins with the UTF-8 byte order mark, or when it is valid UTF-8 and holds at
// least one byte above 0x7F; anything else is taken as code page 949 as it stands
// (pure ASCII is the same in both).

#include <string>
#include <string_view>
#include <variant>

#include "script/Script.h"

struct DecodedText {
    std::string cp949;
    ScriptEncoding encoding = ScriptEncoding::Cp949;
};

struct DecodeFault {
    int line = 0;
    std::string message;
};

// A UTF-8 file with a character that code page 949 lacks is a fault (it would
// otherwise go out as '?'), as is a byte order mark followed by invalid UTF-8.
std::variant<DecodedText, DecodeFault> decodeScriptBytes(std::string_view bytes);

bool isValidUtf8(std::string_view bytes);

#pragma once
// The only reading of files the script library does: the script itself, and
// the file a sendfile command sends when it runs. Both are bounded in size.

#include <filesystem>
#include <string>
#include <variant>

#include "script/Script.h"

struct BoundedFile {
    std::string bytes;
    std::string fault;  // empty when read; otherwise why not, for a message
};

// The whole file when it holds at most maxBytes bytes.
BoundedFile readBoundedFile(const std::filesystem::path& path, std::size_t maxBytes);

// Reads and checks a script (parseScript). Messages name the file as the path
// is written; sendfile looks up relative names beside the script.
std::variant<Script, ScriptError> loadScriptFile(const std::filesystem::path& path);

// A path as messages show it: code page 949 (a name that is not UTF-8 is shown
// as it stands).
std::string pathForMessages(const std::filesystem::path& path);

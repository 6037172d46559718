#pragma once
// Reads a whole script and checks it before anything runs: commands and their
// arguments, ports, durations, settings, that every label a goto names exists
// and that every variable used is set somewhere or given by the program. The
// first fault found is returned with its line; nothing partial is returned.

#include <string_view>
#include <variant>

#include "script/Script.h"

// bytes: the file as read (code page 949 or UTF-8, see ScriptEncoding.h).
// fileName: how messages name the file, code page 949.
std::variant<Script, ScriptError> parseScript(std::string_view bytes, std::string_view fileName);

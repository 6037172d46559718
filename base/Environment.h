#pragma once
// The process environment as UTF-8 on every system (Windows keeps it in
// UTF-16, so a Korean EMUVOLA_DATA_DIR arrives whole).

#include <string>

// The value, or empty when the variable is not set.
std::string environmentVariable(const char* name);
void setEnvironmentVariable(const char* name, const std::string& value);
void unsetEnvironmentVariable(const char* name);

#include "base/Environment.h"

#include <cstdlib>

std::string environmentVariable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

void setEnvironmentVariable(const char* name, const std::string& value)
{
    ::setenv(name, value.c_str(), 1);
}

void unsetEnvironmentVariable(const char* name)
{
    ::unsetenv(name);
}

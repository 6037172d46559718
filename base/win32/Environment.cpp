#include "base/Environment.h"

#include <cstring>
#include <ctime>
#include <vector>

#include <windows.h>

#include "base/win32/WideText.h"

std::string environmentVariable(const char* name)
{
    const std::wstring wideName = wideFromUtf8(name);
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::vector<wchar_t> value(size);
    const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    if (length == 0 || length >= size)
        return {};
    return utf8FromWide(std::wstring_view(value.data(), length));
}

namespace {

// The C runtime reads TZ only when asked to: a change takes effect at once,
// as it does on Linux.
void takeTimeZone(const char* name)
{
    if (std::strcmp(name, "TZ") == 0)
        _tzset();
}

}  // namespace

// The C runtime keeps a copy of the environment that getenv reads; both are
// changed, so code that asks either one sees the same.
void setEnvironmentVariable(const char* name, const std::string& value)
{
    const std::wstring wideName = wideFromUtf8(name);
    const std::wstring wideValue = wideFromUtf8(value);
    SetEnvironmentVariableW(wideName.c_str(), wideValue.c_str());
    _wputenv_s(wideName.c_str(), wideValue.c_str());
    takeTimeZone(name);
}

void unsetEnvironmentVariable(const char* name)
{
    const std::wstring wideName = wideFromUtf8(name);
    SetEnvironmentVariableW(wideName.c_str(), nullptr);
    _wputenv_s(wideName.c_str(), L"");
    takeTimeZone(name);
}

#include "base/SystemPaths.h"

#include <vector>

#include <windows.h>

#include "base/AppPaths.h"
#include "base/Environment.h"
#include "base/win32/WideText.h"

std::string executablePath()
{
    // Long paths (\\?\...) can exceed MAX_PATH: grow until the name fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 6; ++attempt) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return utf8FromWide(std::wstring_view(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

bool canCreateFilesIn(const std::string& directory)
{
    // The read-only attribute says nothing of a directory's access list
    // (Program Files is not marked read-only): try a file that goes away on
    // its own once closed.
    const std::wstring probe = wideFromUtf8(withSeparator(directory) + "emuvola-write-probe.tmp");
    const HANDLE handle = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(handle);
    return true;
}

std::string userDataDirectory()
{
    return appDataUserDirectory(environmentVariable("APPDATA"));
}

bool isPathSeparator(char c)
{
    return c == '\\' || c == '/';
}

char preferredPathSeparator()
{
    return '\\';
}

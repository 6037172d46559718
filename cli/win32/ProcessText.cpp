#include "cli/ProcessText.h"

#include <windows.h>
#include <shellapi.h>

#include "base/win32/WideText.h"

std::vector<std::string> utf8Arguments(int, char*[])
{
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(utf8FromWide(wide[i]));
    LocalFree(wide);
    return arguments;
}

void useUtf8Console()
{
    SetConsoleOutputCP(CP_UTF8);
}

#include "cli/PasswordPrompt.h"

#include <windows.h>

#include <string>

#include "base/win32/WideText.h"

std::optional<std::string> askPasswordOnTerminal(const std::string& prompt)
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE output = GetStdHandle(STD_ERROR_HANDLE);
    DWORD saved = 0;
    DWORD outputMode = 0;
    // Only a console asks; a pipe or a scheduled task has none.
    if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &saved) || !GetConsoleMode(output, &outputMode))
        return std::nullopt;
    const std::wstring shown = wideFromUtf8(prompt);
    DWORD written = 0;
    WriteConsoleW(output, shown.c_str(), static_cast<DWORD>(shown.size()), &written, nullptr);
    SetConsoleMode(input, (saved | ENABLE_LINE_INPUT) & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    wchar_t buffer[258] = {};
    DWORD read = 0;
    const BOOL ok = ReadConsoleW(input, buffer, 256, &read, nullptr);
    SetConsoleMode(input, saved);
    WriteConsoleW(output, L"\r\n", 2, &written, nullptr);
    if (!ok)
        return std::nullopt;
    std::wstring answer(buffer, read);
    while (!answer.empty() && (answer.back() == L'\n' || answer.back() == L'\r'))
        answer.pop_back();
    return utf8FromWide(answer);
}

#include "cli/PasswordPrompt.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>

std::optional<std::string> askPasswordOnTerminal(const std::string& prompt)
{
    if (!isatty(STDIN_FILENO) || !isatty(STDERR_FILENO))
        return std::nullopt;
    termios saved{};
    if (tcgetattr(STDIN_FILENO, &saved) != 0)
        return std::nullopt;
    termios quiet = saved;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    std::string answer;
    for (int c = std::fgetc(stdin); c != EOF && c != '\n' && answer.size() < 256; c = std::fgetc(stdin))
        answer.push_back(static_cast<char>(c));
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fputs("\n", stderr);
    if (!answer.empty() && answer.back() == '\r')
        answer.pop_back();
    return answer;
}

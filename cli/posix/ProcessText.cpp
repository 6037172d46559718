#include "cli/ProcessText.h"

std::vector<std::string> utf8Arguments(int argc, char* argv[])
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

void useUtf8Console()
{
}

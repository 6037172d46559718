#pragma once
// emuvola-run's arguments and console text are UTF-8 whatever the system's
// code page: on Windows the arguments are read wide and the console is set to
// UTF-8; elsewhere they already are. One platform file each.

#include <string>
#include <vector>

// The arguments after the program's name, as UTF-8.
std::vector<std::string> utf8Arguments(int argc, char* argv[]);
// Makes a console (when there is one) show UTF-8 output as text.
void useUtf8Console();

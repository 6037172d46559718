#pragma once
// emuvola-run's command line. Arguments are UTF-8 whatever the locale (cron
// often has none); names compared with the phone book are converted to code
// page 949 where they are used.

#include <optional>
#include <string>
#include <vector>

struct RunOptions {
    std::string port;
    std::vector<std::string> dial;  // entry names or numbers, UTF-8, in order
    bool dialAll = false;
    std::string number;  // --number: dialled with --user
    std::string user;
    std::string script;   // path
    std::string capture;  // directory
    int timeoutSeconds = 600;
    bool timestamps = false;
    bool json = false;
    bool help = false;

    bool dials() const { return dialAll || !dial.empty() || !number.empty(); }
};

struct RunOptionsResult {
    std::optional<RunOptions> options;
    std::string error;  // UTF-8, when options is empty
};

RunOptionsResult parseRunOptions(const std::vector<std::string>& arguments);
// The --help text, exit statuses included (UTF-8).
const std::string& runHelpText();

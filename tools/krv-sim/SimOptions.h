#pragma once
// krv-sim's command line.

#include <optional>
#include <string>
#include <vector>

struct SimOptions {
    bool help = false;
    bool listen = false;
    std::string listenHost = "127.0.0.1";
    int listenPort = 0;
    bool allowRemote = false;
    bool pty = false;
    std::string configPath;
    std::string transcriptPath;
    // Overrides applied after the config file.
    std::optional<int> connectDelayMs;
    std::optional<int> commaPauseMs;
    std::optional<int> guardTimeMs;
    std::optional<int> tickerPeriodMs;
    std::optional<int> dropAfterMs;
};

// False with a message for an unknown option or a bad value.
bool parseSimOptions(const std::vector<std::string>& arguments, SimOptions& options, std::string& error);
std::string simHelpText();

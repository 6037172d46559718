#pragma once
// What the simulated telephone network and KR-V units look like: which
// numbers answer and how, the KR-V accounts, and the modem's delays.

#include <map>
#include <set>
#include <string>

enum class DialOutcome { Krv, Busy, NoAnswer, NoDialtone };

struct KrvAccount {
    std::string name = "서울1";  // UTF-8; sent as code page 949
    std::string userId = "admin";
    std::string password = "pilvo";
    std::set<int> busyPorts;  // remote ports that answer "BUSY" to CONN
};

struct NumberEntry {
    DialOutcome outcome = DialOutcome::Krv;
    KrvAccount account;
    int busyFirst = 0;  // the first this many calls answer BUSY, then the outcome
};

struct SimConfig {
    std::map<std::string, NumberEntry> numbers;  // digits only
    int connectDelayMs = 1000;  // from the dial to its result
    int commaPauseMs = 1000;    // each ',' in the dial string
    int guardTimeMs = 1000;     // "+++" escape guard time, before and after
    int abortIgnoreMs = 125;    // characters this soon after a dial do not abort it
    int tickerPeriodMs = 3000;  // port 2's line
    int dropAfterMs = 0;        // drop carrier this long after CONNECT; 0 = never
    int connectRate = 9600;

    // 5551234 reaches the KR-V "서울1" (admin / pilvo), 5550000 is busy,
    // 5559999 does not answer.
    static SimConfig defaults();
};

// Reads an INI-style file over the given config; see krv-sim --help for the
// keys. Sections "[number DIGITS]" replace the built-in numbers. False with
// a message on a syntax error or an unknown key.
bool loadConfigFile(const std::string& path, SimConfig& config, std::string& error);
bool parseConfigText(const std::string& text, SimConfig& config, std::string& error);

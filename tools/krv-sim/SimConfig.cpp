#include "tools/krv-sim/SimConfig.h"

#include <cctype>
#include <fstream>
#include <sstream>

SimConfig SimConfig::defaults()
{
    SimConfig config;
    config.numbers["5551234"] = NumberEntry{};
    config.numbers["5550000"] = NumberEntry{DialOutcome::Busy, {}};
    config.numbers["5559999"] = NumberEntry{DialOutcome::NoAnswer, {}};
    return config;
}

namespace {

std::string trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string lower(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

bool toInt(const std::string& text, int& value)
{
    try {
        std::size_t used = 0;
        value = std::stoi(text, &used);
        return used == text.size() && value >= 0;
    } catch (...) {
        return false;
    }
}

std::string digitsOf(const std::string& text)
{
    std::string digits;
    for (char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
            digits += c;
        }
    }
    return digits;
}

bool parseOutcome(const std::string& text, DialOutcome& outcome)
{
    const std::string word = lower(text);
    if (word == "krv" || word == "connect") {
        outcome = DialOutcome::Krv;
    } else if (word == "busy") {
        outcome = DialOutcome::Busy;
    } else if (word == "no answer" || word == "noanswer") {
        outcome = DialOutcome::NoAnswer;
    } else if (word == "no dialtone" || word == "nodialtone") {
        outcome = DialOutcome::NoDialtone;
    } else {
        return false;
    }
    return true;
}

bool setTiming(SimConfig& config, const std::string& key, const std::string& value)
{
    const std::pair<const char*, int*> keys[] = {
        {"connect_delay_ms", &config.connectDelayMs}, {"comma_pause_ms", &config.commaPauseMs},
        {"guard_time_ms", &config.guardTimeMs},       {"abort_ignore_ms", &config.abortIgnoreMs},
        {"ticker_period_ms", &config.tickerPeriodMs}, {"drop_after_ms", &config.dropAfterMs},
        {"connect_rate", &config.connectRate}};
    for (const auto& [name, field] : keys) {
        if (key == name) {
            return toInt(value, *field);
        }
    }
    return false;
}

bool setNumberKey(NumberEntry& entry, const std::string& key, const std::string& value)
{
    if (key == "result") {
        return parseOutcome(value, entry.outcome);
    }
    if (key == "name") {
        entry.account.name = value;
    } else if (key == "user") {
        entry.account.userId = value;
    } else if (key == "password") {
        entry.account.password = value;
    } else if (key == "busy_first") {
        return toInt(value, entry.busyFirst);
    } else if (key == "busy_ports") {
        entry.account.busyPorts.clear();
        std::istringstream list(value);
        std::string item;
        while (list >> item) {
            int port = 0;
            if (!toInt(item, port) || port > 3) {
                return false;
            }
            entry.account.busyPorts.insert(port);
        }
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool parseConfigText(const std::string& text, SimConfig& config, std::string& error)
{
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    std::string section;
    NumberEntry* entry = nullptr;
    bool replacedNumbers = false;
    while (std::getline(in, line)) {
        ++lineNumber;
        line = trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';') {
            continue;
        }
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (line.front() == '[') {
            if (line.back() != ']') {
                error = where + "unclosed section";
                return false;
            }
            section = lower(trim(line.substr(1, line.size() - 2)));
            entry = nullptr;
            if (section.rfind("number", 0) == 0) {
                const std::string number = digitsOf(section.substr(6));
                if (number.empty()) {
                    error = where + "section [number DIGITS] without digits";
                    return false;
                }
                if (!replacedNumbers) {
                    config.numbers.clear();
                    replacedNumbers = true;
                }
                entry = &config.numbers[number];
            } else if (section != "timing") {
                error = where + "unknown section [" + section + "]";
                return false;
            }
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            error = where + "expected key = value";
            return false;
        }
        const std::string key = lower(trim(line.substr(0, equals)));
        const std::string value = trim(line.substr(equals + 1));
        const bool ok = entry != nullptr ? setNumberKey(*entry, key, value)
                                         : section == "timing" && setTiming(config, key, value);
        if (!ok) {
            error = where + "bad key or value '" + key + "'";
            return false;
        }
    }
    return true;
}

bool loadConfigFile(const std::string& path, SimConfig& config, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parseConfigText(text.str(), config, error);
}

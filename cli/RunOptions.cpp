#include "cli/RunOptions.h"

#include <charconv>

namespace {

bool readInt(const std::string& text, int low, int high, int& value)
{
    int parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

bool digitsOnly(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789,*#-WwPp ") == std::string::npos;
}

RunOptionsResult failure(std::string message)
{
    return {std::nullopt, std::move(message)};
}

}  // namespace

RunOptionsResult parseRunOptions(const std::vector<std::string>& arguments)
{
    RunOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&](std::string& into) {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty())
                return false;
            into = arguments[++i];
            return true;
        };
        std::string text;
        if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "--port") {
            if (!value(options.port))
                return failure("--port needs a port name (as the port buttons show it)");
        } else if (argument == "--dial") {
            if (!value(text))
                return failure("--dial needs a phone book entry's name or number");
            options.dial.push_back(text);
        } else if (argument == "--dial-all") {
            options.dialAll = true;
        } else if (argument == "--number") {
            if (!value(options.number) || !digitsOnly(options.number))
                return failure("--number needs a telephone number");
        } else if (argument == "--user") {
            if (!value(options.user))
                return failure("--user needs a user ID");
        } else if (argument == "--password" || argument.rfind("--password=", 0) == 0) {
            return failure("a password is never taken from the command line, where other users can see it: "
                           "keep it in the phone book, or give it in EMUVOLA_PASSWORD");
        } else if (argument == "--script") {
            if (!value(options.script))
                return failure("--script needs a script file");
        } else if (argument == "--capture") {
            if (!value(options.capture))
                return failure("--capture needs a directory");
        } else if (argument == "--timeout") {
            if (!value(text) || !readInt(text, 1, 86400, options.timeoutSeconds))
                return failure("--timeout needs a number of seconds from 1 to 86400");
        } else if (argument == "--timestamps") {
            options.timestamps = true;
        } else if (argument == "--json") {
            options.json = true;
        } else {
            return failure("unknown argument \"" + argument + "\"");
        }
    }
    if (options.help)
        return {options, {}};
    if (options.port.empty())
        return failure("--port is needed");
    const int ways = (options.dialAll ? 1 : 0) + (options.dial.empty() ? 0 : 1) + (options.number.empty() ? 0 : 1);
    if (ways > 1)
        return failure("give one of --dial, --dial-all and --number");
    if (!options.user.empty() && options.number.empty())
        return failure("--user goes with --number (a phone book entry has its own user ID)");
    if (!options.dials() && options.script.empty())
        return failure("nothing to do: give --dial, --dial-all or --number, or a --script for the local line");
    if (options.timestamps && options.capture.empty())
        return failure("--timestamps goes with --capture");
    return {options, {}};
}

const std::string& runHelpText()
{
    static const std::string text = R"(emuvola-run: an EmuVOLA session without a window, for scripts and cron.

Usage:
  emuvola-run --port NAME [--dial NAME|NUMBER ...|--dial-all|--number N [--user ID]]
              [--script FILE] [--capture DIR [--timestamps]] [--timeout SECONDS] [--json]

It opens the port with its line settings from pinfo.dat, initialises the modem,
dials, logs in (as the window does), runs the script, hangs up ("+++", the guard
time, "ATH") and closes the port. Progress goes to standard error, one line a step.

  --port NAME        the port as the port buttons name it (serial devices and the
                     port map, EMUVOLA_SERIAL_MAP or serialmap.dat)
  --dial X           a phone book entry (phone.dat) by name or number; may be given
                     several times: the units are dialled one after another
  --dial-all         every entry of the phone book, in its order
  --number N         dial this number, logging in as --user (default admin)
  --script FILE      a script (see docs/scripts/); read and checked whole before
                     the port is opened. Without a dial it works on the local line.
  --capture DIR      what each source showed: port0.log .. port3.log, local.log
                     (a folder per unit when several are dialled)
  --timestamps       begin each captured line with [YYYY-MM-DD HH:MM:SS.mmm]
  --timeout SECONDS  time limit for each unit (default 600)
  --json             one summary object on standard output at the end

Passwords: from the phone book; for --number, or an entry without one, from
EMUVOLA_PASSWORD or, on a terminal, a prompt. Never from the command line, and
never shown: "****" in every output.

The data directory is EMUVOLA_DATA_DIR, else the program's folder when writable,
else ~/.config/EmuVOLA (as for EmuVOLA).

Exit status (several units: the highest of theirs):
  0    done
  1    the script said fail (or its own exit N, N >= 1)
  2    busy, no answer, no dial tone or no carrier
  3    login refused
  4    the port is unknown or could not be opened
  5    the line was lost
  6    the time limit ran out
  7    bad arguments, a script error (file:line) or unreadable data files
  130  stopped by Ctrl+C, 143 by SIGTERM (the modem is hung up first)
)";
    return text;
}

#include "tools/krv-sim/SimOptions.h"

#include <cmath>

namespace {

bool toMillis(const std::string& text, double scale, int& value)
{
    try {
        std::size_t used = 0;
        const double number = std::stod(text, &used);
        if (used != text.size() || !(number >= 0) || number * scale > 1e9) {
            return false;
        }
        value = static_cast<int>(std::lround(number * scale));
        return true;
    } catch (...) {
        return false;
    }
}

bool parseHostPort(const std::string& text, SimOptions& options)
{
    const auto colon = text.rfind(':');
    if (colon == std::string::npos) {
        return false;
    }
    int port = 0;
    if (!toMillis(text.substr(colon + 1), 1, port) || port > 65535) {
        return false;
    }
    options.listenHost = text.substr(0, colon);
    options.listenPort = port;
    return !options.listenHost.empty();
}

}  // namespace

bool parseSimOptions(const std::vector<std::string>& arguments, SimOptions& options, std::string& error)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        const auto value = [&](std::string& out) {
            if (i + 1 >= arguments.size()) {
                error = option + " needs a value";
                return false;
            }
            out = arguments[++i];
            return true;
        };
        const auto millis = [&](std::optional<int>& out, double scale) {
            std::string text;
            int number = 0;
            if (!value(text)) {
                return false;
            }
            if (!toMillis(text, scale, number)) {
                error = "bad value for " + option + ": " + text;
                return false;
            }
            out = number;
            return true;
        };
        std::string text;
        bool ok = true;
        if (option == "--help" || option == "-h") {
            options.help = true;
        } else if (option == "--listen") {
            ok = value(text);
            if (ok && !parseHostPort(text, options)) {
                error = "--listen expects HOST:PORT, got " + text;
                ok = false;
            }
            options.listen = true;
        } else if (option == "--allow-remote") {
            options.allowRemote = true;
        } else if (option == "--pty") {
            options.pty = true;
        } else if (option == "--config") {
            ok = value(options.configPath);
        } else if (option == "--transcript") {
            ok = value(options.transcriptPath);
        } else if (option == "--connect-delay") {
            ok = millis(options.connectDelayMs, 1);
        } else if (option == "--comma-pause") {
            ok = millis(options.commaPauseMs, 1);
        } else if (option == "--guard-time") {
            ok = millis(options.guardTimeMs, 1);
        } else if (option == "--ticker-period") {
            ok = millis(options.tickerPeriodMs, 1);
        } else if (option == "--drop-after") {
            ok = millis(options.dropAfterMs, 1000);
        } else {
            error = "unknown option " + option + " (see --help)";
            ok = false;
        }
        if (!ok) {
            return false;
        }
    }
    if (!options.help && !options.listen && !options.pty) {
        error = "nothing to serve: give --listen HOST:PORT and/or --pty (see --help)";
        return false;
    }
    return true;
}

std::string simHelpText()
{
    return R"(krv-sim: a Hayes modem with KR-V units behind it, for testing EmuVOLA.

Usage: krv-sim [--listen 127.0.0.1:PORT] [--pty] [options]

Transports (at least one):
  --listen HOST:PORT   serve the modem line as a com port control (RFC 2217)
                       server on TCP; PORT 0 picks a free port. Prints
                       "listening on HOST:PORT". One client at a time: a
                       second is told the line is busy and closed. Each
                       connection gets a freshly reset modem, and closing it
                       (or DTR off) hangs up. Carrier is reported as modem
                       state bit 0x80. Use in EmuVOLA's serial map as
                       SIM1=rfc2217://127.0.0.1:PORT
  --allow-remote       allow --listen on an address other than loopback
  --pty                serve the modem line on a pseudo-terminal and print
                       "pty /dev/pts/N" (no carrier signal there)

Options:
  --config FILE        read numbers, accounts and delays from FILE (below)
  --transcript FILE    append every byte both ways: "<time> tcp > hex" from
                       the terminal, "<time> tcp < hex" to it
  --connect-delay MS   dial result delay (default 1000)
  --comma-pause MS     pause for each ',' in a dial string (default 1000)
  --guard-time MS      "+++" guard time before and after (default 1000)
  --ticker-period MS   port 2's line period (default 3000)
  --drop-after SECONDS drop carrier ("NO CARRIER") this long after CONNECT
  -h, --help           this text

SIGTERM and SIGINT (Ctrl+C) end the simulator. On Linux SIGUSR1 drops the
carrier of the current call ("NO CARRIER"); --pty is Linux only.

Modem: AT commands ended by CR, echo on (ATE0/ATE1), verbose results
(ATV0/ATV1), ATZ, ATH, ATO, ATD/ATDT/ATDP, "+++" escape with guard times.
Dial strings ignore spaces, '-', '(' and ')'; each ',' pauses; the number is
the digits after the last ',' (so "ATDT 9,5551234" dials 5551234). Any
character received while dialling (after 125 ms) aborts with NO CARRIER.

Built-in numbers (replaced by any [number] section of a config file):
  5551234  KR-V "서울1", user ID admin, password pilvo
  5550000  BUSY
  5559999  NO ANSWER
  anything else: NO CARRIER

KR-V: link frames E2 class sub payload E3. Login 'A''I' user ID then 'A''P'
password, each answered E2 'A' 'R' PASS/FAIL E3; 'A''D' "old new" ID change,
'A''W' "old new" password change. 'C' port "CONN" answers the status text
"[Baud]9600 bps[Data]8 bit[Parity]none [Stop]1 bit[Flow]none" (or BUSY),
"DISC" answers PASS, "SPEED DATA PARITY STOP FLOW" applies the settings.
'D' port text goes to the port's device: port 0 and 1 echo with a "> "
prompt, port 2 prints "<name> 온도 23도" every ticker period, port 3 echoes
upper-cased; CTRL+C answers "^C". Text is code page 949.

Config file (key = value, '#' comments):
  [timing]
  connect_delay_ms = 1000
  comma_pause_ms = 1000
  guard_time_ms = 1000
  abort_ignore_ms = 125
  ticker_period_ms = 3000
  drop_after_ms = 0
  connect_rate = 9600
  [number 5551234]
  result = krv          # krv, busy, no answer, no dialtone
  name = 서울1           # UTF-8 in the file
  user = admin
  password = pilvo
  busy_ports = 2 3      # remote ports that answer BUSY
  busy_first = 2        # the first 2 calls (on one connection) answer BUSY
)";
}

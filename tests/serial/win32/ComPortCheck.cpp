// com-port-check: opens a port through SerialPort with line settings, writes a
// command and waits for an expected reply: the end-to-end check of the Win32
// serial device on a Wine COM port and of the network port over Winsock
// (tools/windows/com-port-check.sh), and a quick look at a modem on a real
// Windows PC. Any port name SerialPort opens will do: COM3, or a port map
// name from EMUVOLA_SERIAL_MAP.
//
//   com-port-check --port COM5 [--baud 19200] [--data 8] [--parity 0] [--stop 1]
//                  --send 'ATI\r' --expect OK [--timeout-ms 5000]
//
// "\r" and "\n" in --send stand for CR and LF. Prints whether a second open
// of the port was refused, what came back, the carrier after it and how long
// the close took, and exits 0 when the port was held alone and the reply held
// the expected text, 1 otherwise, 2 for a bad command line, 3 when the port
// did not open.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "serial/SerialPort.h"

namespace {

struct Options {
    LineSettings settings;
    std::string send;
    std::string expect;
    int timeoutMs = 5000;
};

std::string unescaped(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'r' || text[i + 1] == 'n')) {
            out += text[++i] == 'r' ? '\r' : '\n';
        } else {
            out += text[i];
        }
    }
    return out;
}

// Control characters as \r, \n or \xNN, so the transcript reads on one line.
std::string printable(const std::string& bytes)
{
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

bool parse(const std::vector<std::string>& args, Options& options)
{
    options.settings.baudRate = 19200;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        const std::string& name = args[i];
        const std::string& value = args[i + 1];
        if (name == "--port") {
            options.settings.portName = value;
        } else if (name == "--baud") {
            options.settings.baudRate = static_cast<std::uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
        } else if (name == "--data") {
            options.settings.dataBits = std::atoi(value.c_str());
        } else if (name == "--parity") {
            options.settings.parityCode = std::atoi(value.c_str());
        } else if (name == "--stop") {
            options.settings.stopBitsCode = std::atoi(value.c_str());
        } else if (name == "--send") {
            options.send = unescaped(value);
        } else if (name == "--expect") {
            options.expect = value;
        } else if (name == "--timeout-ms") {
            options.timeoutMs = std::atoi(value.c_str());
        } else {
            return false;
        }
    }
    return args.size() % 2 == 0 && !options.settings.portName.empty() && !options.expect.empty();
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parse(std::vector<std::string>(argv + 1, argv + argc), options)) {
        std::fputs("usage: com-port-check --port COMn [--baud B] [--data D] [--parity P] [--stop S] "
                   "--send TEXT --expect TEXT [--timeout-ms MS]\n",
                   stderr);
        return 2;
    }
    SerialPort port;
    if (!port.open(options.settings)) {
        std::printf("%s: did not open\n", options.settings.portName.c_str());
        return 3;
    }
    std::printf("%s: open at %u bit/s, carrier %s\n", options.settings.portName.c_str(),
                options.settings.baudRate, port.carrierDetected() ? "on" : "off");
    // The port is held exclusively: a second opener is refused, as another
    // program would be.
    SerialPort second;
    const bool openedTwice = second.open(options.settings);
    second.close();
    std::printf("a second open: %s\n", openedTwice ? "opened as well" : "refused");
    if (port.write(options.send) != options.send.size()) {
        std::printf("write refused\n");
        return 1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeoutMs);
    std::string received;
    while (received.find(options.expect) == std::string::npos && std::chrono::steady_clock::now() < deadline
           && !port.lineLost()) {
        port.pumpOutput();
        std::uint8_t buffer[256];
        const std::size_t taken = port.takeBytes(buffer, sizeof buffer);
        if (taken > 0) {
            received.append(reinterpret_cast<const char*>(buffer), taken);
        } else {
            port.dataReady().waitFor(std::chrono::milliseconds(20));
        }
    }
    const bool found = received.find(options.expect) != std::string::npos;
    std::printf("sent \"%s\", received \"%s\"%s\n", printable(options.send).c_str(), printable(received).c_str(),
                port.lineLost() ? " (line lost)" : "");
    std::printf("carrier %s\n", port.carrierDetected() ? "on" : "off");
    const auto closing = std::chrono::steady_clock::now();
    port.close();
    const auto closeMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - closing).count();
    std::printf("closed in %lld ms\n", static_cast<long long>(closeMs));
    return found && !openedTwice ? 0 : 1;
}

#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace launcher {

// The launcher's start-up state: the three command-line fields, the port
// value and the output path of the session file.
//
// The name, address and port text become part of a file name, so the
// arguments are refused (the launcher shows its invalid-arguments line and
// writes nothing) when any of them holds a path separator, "..", or a control
// character, cannot be represented in code page 949, or is wider than its
// field: address 19 bytes, port text 7 bytes, name 15 bytes (code page 949),
// output path 255 bytes.
class LauncherApp {
public:
    static constexpr std::size_t addressWidth = 19;
    static constexpr std::size_t portTextWidth = 7;
    static constexpr std::size_t nameWidth = 15;
    static constexpr std::size_t pathWidth = 255;
    // Address and port the hidden developer button "C" writes a session for.
    static constexpr const char* defaultServerAddress = "192.168.0.10";
    static constexpr const char* defaultServerPortText = "4";

    // Takes the arguments as main received them (the program path first) and
    // the directory to write into, ending with '/'.
    void start(const std::vector<std::string>& args, const std::string& directory);

    // True when exactly three acceptable arguments were given.
    bool valid() const { return m_valid; }
    // The session file's path (UTF-8), or the bare directory when not valid.
    const std::string& outputPath() const { return m_outputPath; }
    // The host address in code page 949, as written into the session file.
    const std::string& address() const { return m_address; }
    const std::string& portText() const { return m_portText; }
    std::uint16_t portValue() const { return m_portValue; }
    const std::string& name() const { return m_name; }

    // Replaces the address and port by the built-in default server; the
    // output path stays the one chosen at start-up.
    void useDefaultServer();

    // Writes the session file to the output path; does nothing without a
    // valid start-up (the path is then a bare directory).
    bool writeSession() const;

private:
    bool m_valid = false;
    std::string m_outputPath;
    std::string m_address;
    std::string m_portText;
    std::uint16_t m_portValue = 0;
    std::string m_name;
};

} // namespace launcher

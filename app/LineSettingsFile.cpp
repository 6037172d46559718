#include "app/LineSettingsFile.h"

#include <algorithm>

#include "base/ProfileFile.h"

namespace {

constexpr const char* dialSection = "CALLSECT";
constexpr const char* paneLogSection = "PANELOG";
constexpr const char* scriptSection = "SCRIPTS";
// Redial and reconnect: a section of our own, which the older program never
// wrote; its files read as "off".
constexpr const char* redialSection = "REDIAL";

// A stored value outside its range reads as the default.
int readInRange(const ProfileFile& file, const char* key, int low, int high, int fallback)
{
    const int value = file.getInt(redialSection, key, fallback);
    return value < low || value > high ? fallback : value;
}
// A value holds at most this many bytes (259 and the terminating zero).
constexpr std::size_t longestValue = 259;

std::string scriptKey(std::size_t index)
{
    return "FILE" + std::to_string(index + 1);
}
constexpr std::array<const char*, 2> timestampKeys{"LEFTTIMESTAMP", "RIGHTTIMESTAMP"};

}  // namespace

FileFault readLineSettings(const std::string& path, PortTable& table, DialSettings& dial)
{
    ProfileFile file(path);
    file.load();
    const PortSettings defaults;
    for (PortSettings& slot : table) {
        if (slot.portName.empty())
            continue;
        // Values are kept as read, however odd (BAUD=0, DATABIT=9): the serial port
        // refuses settings it cannot use when the port is opened.
        slot.baudHundreds = file.getInt(slot.portName, "BAUD", defaults.baudHundreds);
        slot.parity = file.getInt(slot.portName, "PARITY", defaults.parity);
        slot.dataBits = file.getInt(slot.portName, "DATABIT", defaults.dataBits);
        slot.stopBits = file.getInt(slot.portName, "STOPBIT", defaults.stopBits);
    }
    const DialSettings dialDefaults;
    dial.dialCommand = file.getString(dialSection, "CALLCMD", dialDefaults.dialCommand);
    dial.outsideLineNumber = file.getString(dialSection, "OUTLINE", dialDefaults.outsideLineNumber);
    dial.initCommand = file.getString(dialSection, "ATZ", dialDefaults.initCommand);
    dial.redialCount = readInRange(file, "COUNT", 0, maxRedialCount, dialDefaults.redialCount);
    dial.redialIntervalSeconds = readInRange(file, "INTERVAL", minRedialIntervalSeconds, maxRedialIntervalSeconds,
                                             dialDefaults.redialIntervalSeconds);
    dial.reconnect = readInRange(file, "RECONNECT", 0, 1, dialDefaults.reconnect ? 1 : 0) == 1;
    return file.fault();
}

FileFault writePortSettings(const std::string& path, const PortTable& table)
{
    ProfileFile file(path);
    if (!file.load())
        return file.fault();
    bool allStored = true;
    for (const PortSettings& slot : table) {
        if (slot.portName.empty())
            continue;
        // A port name that cannot be a section name (e.g. one holding ']') is skipped.
        allStored = file.setInt(slot.portName, "BAUD", slot.baudHundreds) && allStored;
        allStored = file.setInt(slot.portName, "PARITY", slot.parity) && allStored;
        allStored = file.setInt(slot.portName, "DATABIT", slot.dataBits) && allStored;
        allStored = file.setInt(slot.portName, "STOPBIT", slot.stopBits) && allStored;
    }
    if (!file.save())
        return file.fault();
    return allStored ? FileFault{} : FileFault::of(FileFault::Kind::UnstorableName);
}

FileFault writeDialSettings(const std::string& path, const DialSettings& dial)
{
    ProfileFile file(path);
    if (!file.load())
        return file.fault();
    file.setString(dialSection, "CALLCMD", dial.dialCommand);
    file.setString(dialSection, "OUTLINE", dial.outsideLineNumber);
    file.setString(dialSection, "ATZ", dial.initCommand);
    file.setInt(redialSection, "COUNT", dial.redialCount);
    file.setInt(redialSection, "INTERVAL", dial.redialIntervalSeconds);
    file.setInt(redialSection, "RECONNECT", dial.reconnect ? 1 : 0);
    file.save();
    return file.fault();
}

PaneLogOptions readPaneLogOptions(const std::string& path)
{
    ProfileFile file(path);
    file.load();
    PaneLogOptions options;
    for (std::size_t pane = 0; pane < timestampKeys.size(); ++pane)
        options.timestamps[pane] = file.getInt(paneLogSection, timestampKeys[pane], 0) != 0;
    return options;
}

FileFault writePaneLogOptions(const std::string& path, const PaneLogOptions& options)
{
    ProfileFile file(path);
    if (!file.load())
        return file.fault();
    for (std::size_t pane = 0; pane < timestampKeys.size(); ++pane)
        file.setInt(paneLogSection, timestampKeys[pane], options.timestamps[pane] ? 1 : 0);
    file.save();
    return file.fault();
}

std::vector<std::string> readRecentScripts(const std::string& path)
{
    ProfileFile file(path);
    file.load();
    std::vector<std::string> scripts;
    const int count = std::clamp(file.getInt(scriptSection, "COUNT", 0), 0, static_cast<int>(recentScriptLimit));
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        std::string script = file.getString(scriptSection, scriptKey(i), "");
        if (!script.empty())
            scripts.push_back(std::move(script));
    }
    return scripts;
}

FileFault writeRecentScripts(const std::string& path, const std::vector<std::string>& scripts)
{
    ProfileFile file(path);
    if (!file.load())
        return file.fault();
    std::size_t kept = 0;
    for (const std::string& script : scripts) {
        if (kept == recentScriptLimit)
            break;
        if (script.empty() || script.size() > longestValue)
            continue;
        file.setString(scriptSection, scriptKey(kept++), script);
    }
    file.setInt(scriptSection, "COUNT", static_cast<int>(kept));
    file.save();
    return file.fault();
}

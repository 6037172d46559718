#pragma once
// pinfo.dat: the line settings of the local ports and the dial settings.

#include <array>
#include <string>
#include <vector>

#include "base/DataFile.h"
#include "base/PortRecords.h"

// Reads the settings of every filled slot and the dial settings from the file;
// anything missing gives the defaults, and so does a file that cannot be read (the
// result then tells why).
FileFault readLineSettings(const std::string& path, PortTable& table, DialSettings& dial);
// Writes BAUD, PARITY, DATABIT, STOPBIT for each filled slot; ok() when saved. A port
// name that cannot be a section name (one holding ']') is skipped and reported as
// UnstorableName after the others are saved.
[[nodiscard]] FileFault writePortSettings(const std::string& path, const PortTable& table);
// Writes CALLCMD, OUTLINE, ATZ under CALLSECT and the redial settings under
// REDIAL (COUNT, INTERVAL, RECONNECT); ok() when saved.
[[nodiscard]] FileFault writeDialSettings(const std::string& path, const DialSettings& dial);

// Whether each pane's log stamps its lines with the time (left, right), kept in
// a section of our own that the older program never wrote: its files load
// unchanged and keep their other keys.
struct PaneLogOptions {
    std::array<bool, 2> timestamps{};
};
PaneLogOptions readPaneLogOptions(const std::string& path);
[[nodiscard]] FileFault writePaneLogOptions(const std::string& path, const PaneLogOptions& options);

// The scripts a connection window ran last, newest first, at most
// recentScriptLimit, kept in a section of our own like the panes' options.
// Paths are kept as UTF-8 text; one longer than a value holds is not kept.
inline constexpr std::size_t recentScriptLimit = 5;
std::vector<std::string> readRecentScripts(const std::string& path);
[[nodiscard]] FileFault writeRecentScripts(const std::string& path, const std::vector<std::string>& scripts);

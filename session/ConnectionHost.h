#pragma once
// What a connection window needs from the main frame that owns it.

#include <string>
#include <vector>

#include "session/ConnectionSettings.h"

class ConnectionHost : public ConnectionSettings {
public:
    // Whether the pane's log (0 left, 1 right) stamps its lines with the time,
    // as the operator last chose it in any window; a change is remembered.
    virtual bool logTimestamps(int pane) const = 0;
    virtual void setLogTimestamps(int pane, bool on) = 0;
    // The scripts run last in any window, newest first (UTF-8 paths); a run
    // puts its script at the front, and the list is kept.
    virtual std::vector<std::string> recentScripts() const = 0;
    virtual void scriptRun(const std::string& path) = 0;
    // The window for this port has closed: show its port button released.
    virtual void portWindowClosed(const std::string& portName) = 0;
};

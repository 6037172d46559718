#pragma once
// What a connection window needs from the main frame that owns it.

#include <string>

#include "session/ConnectionSettings.h"

class ConnectionHost : public ConnectionSettings {
public:
    // Whether the pane's log (0 left, 1 right) stamps its lines with the time,
    // as the operator last chose it in any window; a change is remembered.
    virtual bool logTimestamps(int pane) const = 0;
    virtual void setLogTimestamps(int pane, bool on) = 0;
    // The window for this port has closed: show its port button released.
    virtual void portWindowClosed(const std::string& portName) = 0;
};

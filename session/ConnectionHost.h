#pragma once
// What a connection window needs from the main frame that owns it.

#include <optional>
#include <string>

#include "base/PortRecords.h"

class ConnectionHost {
public:
    virtual ~ConnectionHost() = default;

    // The line settings of a local port, or nothing when the port is unknown.
    virtual std::optional<PortSettings> findPortSettings(const std::string& portName) const = 0;
    // "%d00-%c-%d-%d" for the port, empty when unknown.
    virtual std::string portSettingsText(const std::string& portName) const = 0;
    virtual DialSettings dialSettings() const = 0;
    // Whether the pane's log (0 left, 1 right) stamps its lines with the time,
    // as the operator last chose it in any window; a change is remembered.
    virtual bool logTimestamps(int pane) const = 0;
    virtual void setLogTimestamps(int pane, bool on) = 0;
    // The window for this port has closed: show its port button released.
    virtual void portWindowClosed(const std::string& portName) = 0;
};

#pragma once
// Where a connection finds the settings of its port and of dialling: the main
// frame for a window, the data directory's files for a program without one.

#include <optional>
#include <string>

#include "base/PortRecords.h"

class ConnectionSettings {
public:
    virtual ~ConnectionSettings() = default;

    // The line settings of a local port, or nothing when the port is unknown.
    virtual std::optional<PortSettings> findPortSettings(const std::string& portName) const = 0;
    // "%d00-%c-%d-%d" for the port, empty when unknown.
    virtual std::string portSettingsText(const std::string& portName) const = 0;
    virtual DialSettings dialSettings() const = 0;
};

#pragma once
// What sits at the far end of a simulated serial line: the transports move
// bytes and the carrier signal between it and the terminal program.

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/krv-sim/SimTime.h"

class LineEndpoint {
public:
    virtual ~LineEndpoint() = default;
    // Bytes from the terminal.
    virtual void receive(const std::uint8_t* data, std::size_t length, SimMillis now) = 0;
    // Lets timers run; call often (every few tens of milliseconds).
    virtual void tick(SimMillis now) = 0;
    // Bytes for the terminal since the last call.
    virtual std::string takeOutput() = 0;
    virtual bool carrier() const = 0;
    // The terminal went away (DTR dropped, connection closed).
    virtual void terminalGone(SimMillis now) = 0;
    // The remote end of the call went away.
    virtual void dropCarrier(SimMillis now) = 0;
};

#pragma once
// The received traffic of a run: text lines of about 80 bytes ending CR LF.
// Neither kind contains a link frame marker (0xE2, 0xE3), a flow control byte
// or a zero byte, so every byte reaches the log of a pane that shows local
// traffic.
//
// A run's traffic is one period of whole lines sent again and again, so a
// 64 MiB flood does not hold 64 MiB in the benchmark's own memory and the
// program's resident size stays what the receive path makes it.

#include <cstddef>
#include <string>

struct Traffic {
    std::string period;      // whole lines
    std::size_t total = 0;   // bytes sent from the period: a whole number of periods
    std::string tail;        // sent once after them

    // The byte at a position of the whole run.
    char at(std::size_t offset) const { return period[offset % period.size()]; }
};

// At least `bytes` long, in whole periods of about `periodBytes`.
Traffic asciiTraffic(std::size_t bytes, std::size_t periodBytes = 1 << 20);
// Code page 949 Korean text with digits, spaces and '%'.
Traffic koreanTraffic(std::size_t bytes, std::size_t periodBytes = 1 << 20);
// The first `bytes` of numbered ASCII lines, sent once.
Traffic asciiPrefix(std::size_t bytes);
// What a hostile peer sends: empty link frames (E2 E3) back to back, or
// random bytes (frame markers, control bytes, zero bytes and all). Each ends
// with `marker`, shown in the local panes once everything before it has been
// handled.
Traffic emptyFrameStorm(std::size_t bytes, const std::string& marker);
Traffic randomBytes(std::size_t bytes, const std::string& marker);
// The end of a hostile run: closes any frame left open, then a data frame
// with the text, which the local panes show.
std::string hostileMarker(const std::string& text);
// True when every byte of the text reaches a local pane's log unchanged.
bool reachesLogWhole(const Traffic& traffic);

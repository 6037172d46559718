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
    std::size_t total = 0;   // bytes sent: a whole number of periods

    // The byte at a position of the whole run.
    char at(std::size_t offset) const { return period[offset % period.size()]; }
};

// At least `bytes` long, in whole periods of about `periodBytes`.
Traffic asciiTraffic(std::size_t bytes, std::size_t periodBytes = 1 << 20);
// Code page 949 Korean text with digits, spaces and '%'.
Traffic koreanTraffic(std::size_t bytes, std::size_t periodBytes = 1 << 20);
// The first `bytes` of numbered ASCII lines, sent once.
Traffic asciiPrefix(std::size_t bytes);
// True when every byte of the text reaches a local pane's log unchanged.
bool reachesLogWhole(const Traffic& traffic);

#pragma once
// The received traffic of a run: text lines of about 80 bytes ending CR LF,
// in whole lines, at least `bytes` long. Neither contains a link frame marker
// (0xE2, 0xE3), a flow control byte or a zero byte, so every byte reaches
// the log of a pane that shows local traffic.

#include <cstddef>
#include <string>

std::string asciiTraffic(std::size_t bytes);
// Code page 949 Korean text with digits, spaces and '%'.
std::string koreanTraffic(std::size_t bytes);
// True when every byte of the text reaches a local pane's log unchanged.
bool reachesLogWhole(const std::string& text);

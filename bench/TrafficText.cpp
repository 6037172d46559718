#include "bench/TrafficText.h"

#include <cstdio>

#include "base/TextCodec.h"

namespace {

constexpr std::size_t lineLength = 80;

std::string repeatToLines(const std::string& unit, std::size_t bytes, bool numbered)
{
    std::string text;
    text.reserve(bytes + 2 * lineLength);
    unsigned long lineNumber = 0;
    while (text.size() < bytes) {
        std::string line;
        if (numbered) {
            char number[16];
            std::snprintf(number, sizeof number, "%07lu ", lineNumber++ % 10000000ul);
            line = number;
        }
        // Whole units only, so a double-byte character is never cut.
        while (line.size() + unit.size() <= lineLength)
            line += unit;
        text += line;
        text += "\r\n";
    }
    return text;
}

}  // namespace

std::string asciiTraffic(std::size_t bytes)
{
    return repeatToLines("quick brown fox 23C 45% ", bytes, true);
}

std::string koreanTraffic(std::size_t bytes)
{
    // 25 bytes per unit: three units and CR LF make a 77-byte line.
    return repeatToLines(utf8ToCp949("서울1 온도 23도 습도 45% "), bytes, false);
}

bool reachesLogWhole(const std::string& text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0x00 || byte == 0x11 || byte == 0x13 || byte == 0xE2 || byte == 0xE3)
            return false;
    }
    return true;
}

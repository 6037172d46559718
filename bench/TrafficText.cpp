#include "bench/TrafficText.h"

#include <algorithm>
#include <cstdio>
#include <random>

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

Traffic periods(std::string period, std::size_t bytes)
{
    Traffic traffic;
    const std::size_t count = std::max<std::size_t>(1, (bytes + period.size() - 1) / period.size());
    traffic.total = count * period.size();
    traffic.period = std::move(period);
    return traffic;
}

}  // namespace

Traffic asciiTraffic(std::size_t bytes, std::size_t periodBytes)
{
    return periods(repeatToLines("quick brown fox 23C 45% ", std::min(bytes, periodBytes), true), bytes);
}

Traffic koreanTraffic(std::size_t bytes, std::size_t periodBytes)
{
    // 25 bytes per unit: three units and CR LF make a 77-byte line.
    return periods(repeatToLines(utf8ToCp949("서울1 온도 23도 습도 45% "), std::min(bytes, periodBytes), false),
                   bytes);
}

Traffic asciiPrefix(std::size_t bytes)
{
    Traffic traffic;
    traffic.period = repeatToLines("quick brown fox 23C 45% ", bytes, true).substr(0, bytes);
    traffic.total = traffic.period.size();
    return traffic;
}

std::string hostileMarker(const std::string& text)
{
    return "\xE3\xE2" "D7" + text + "\xE3";
}

Traffic emptyFrameStorm(std::size_t bytes, const std::string& marker)
{
    std::string pairs;
    for (std::size_t i = 0; i < std::min<std::size_t>(bytes, 1 << 20) / 2; ++i)
        pairs += "\xE2\xE3";
    Traffic traffic = periods(std::move(pairs), bytes);
    traffic.tail = marker;
    return traffic;
}

Traffic randomBytes(std::size_t bytes, const std::string& marker)
{
    std::mt19937 random(14);
    std::string noise(std::min<std::size_t>(bytes, 4 << 20), '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    Traffic traffic = periods(std::move(noise), bytes);
    traffic.tail = marker;
    return traffic;
}

bool reachesLogWhole(const Traffic& traffic)
{
    for (const char c : traffic.period) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0x00 || byte == 0x11 || byte == 0x13 || byte == 0xE2 || byte == 0xE3)
            return false;
    }
    return !traffic.period.empty();
}

#pragma once
// Millisecond tick clock: unsigned 32-bit counts that wrap to 0 after 2^32 - 1.

#include <cstdint>

// Milliseconds of the monotonic clock, kept to 32 bits.
std::uint32_t tickCount();
// now - start modulo 2^32, so the difference holds across the wrap.
constexpr std::uint32_t ticksBetween(std::uint32_t start, std::uint32_t now)
{
    return now - start;
}
// Milliseconds passed since the start tick.
std::uint32_t elapsedTicks(std::uint32_t start);

#include "base/Ticks.h"

#include <chrono>

std::uint32_t tickCount()
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}

std::uint32_t elapsedTicks(std::uint32_t start)
{
    return ticksBetween(start, tickCount());
}

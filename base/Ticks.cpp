#include "base/Ticks.h"

#include <time.h>

std::uint32_t tickCount()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000U
        + static_cast<std::uint64_t>(now.tv_nsec) / 1000000U;
    return static_cast<std::uint32_t>(ms);
}

std::uint32_t elapsedTicks(std::uint32_t start)
{
    return ticksBetween(start, tickCount());
}

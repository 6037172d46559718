#pragma once
// The simulator's clock: milliseconds, passed in by whoever drives the logic,
// so the modem and the KR-V can be tested without waiting.

#include <cstdint>

using SimMillis = std::int64_t;

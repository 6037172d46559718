#pragma once
// The number at the start of a text as the C library's atoi finds it: blanks,
// an optional sign, then digits. The magnitude stops growing just past the int
// range, so an over-long run of digits is told apart from a number that fits.

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string_view>

struct LeadingNumber {
    static constexpr std::int64_t pastIntRange = static_cast<std::int64_t>(INT_MAX) + 2;

    bool negative = false;
    std::int64_t magnitude = 0;   // at most pastIntRange
    std::size_t digitsBegin = 0;  // offset of the first digit
    std::size_t end = 0;          // offset just past the last digit

    bool hasDigits() const { return end > digitsBegin; }
};

LeadingNumber scanLeadingNumber(std::string_view text);

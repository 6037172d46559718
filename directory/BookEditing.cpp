#include "directory/BookEditing.h"

#include <climits>
#include <cstdint>

std::string rowNumberText(int index)
{
    return std::to_string(static_cast<std::int64_t>(index) + 1);
}

int indexFromRowNumber(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    std::int64_t value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        if (value > INT_MAX)
            return -1;  // no entry carries such a number
        ++pos;
    }
    if (negative)
        value = -value;
    return static_cast<int>(value - 1);
}

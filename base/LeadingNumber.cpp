#include "base/LeadingNumber.h"

#include <algorithm>

LeadingNumber scanLeadingNumber(std::string_view text)
{
    LeadingNumber number;
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        number.negative = text[pos] == '-';
        ++pos;
    }
    number.digitsBegin = pos;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        number.magnitude = std::min(number.magnitude * 10 + (text[pos] - '0'), LeadingNumber::pastIntRange);
    number.end = pos;
    return number;
}

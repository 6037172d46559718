#include "base/LocalTime.h"

std::tm localCalendarTime(std::time_t seconds)
{
    std::tm local {};
    ::localtime_s(&local, &seconds);
    return local;
}

#include "base/LocalTime.h"

std::tm localCalendarTime(std::time_t seconds)
{
    std::tm local {};
    ::localtime_r(&seconds, &local);
    return local;
}

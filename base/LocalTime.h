#pragma once
// Calendar time in the local time zone, safe to ask from any thread: the
// platform files use localtime_r on Linux and localtime_s on Windows.

#include <ctime>

std::tm localCalendarTime(std::time_t seconds);

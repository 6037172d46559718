#pragma once
// CPU time used so far, user plus system, in seconds.

#include <sys/resource.h>

inline double cpuSecondsOf(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The whole process, every thread.
inline double processCpuSeconds() { return cpuSecondsOf(RUSAGE_SELF); }
// The calling thread only; used to take the benchmark's own threads out.
inline double threadCpuSeconds() { return cpuSecondsOf(RUSAGE_THREAD); }

#pragma once
// The process's resident size from /proc/self/status, in KiB.

#include <fstream>
#include <sstream>
#include <string>

// A field of /proc/self/status ("VmRSS", "VmHWM"); -1 when it cannot be read.
inline long statusKb(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, field.size() + 1, field + ":") == 0) {
            std::istringstream value(line.substr(field.size() + 1));
            long kb = -1;
            value >> kb;
            return kb;
        }
    }
    return -1;
}

inline long residentKb() { return statusKb("VmRSS"); }
inline long peakResidentKb() { return statusKb("VmHWM"); }

// Starts the peak (VmHWM) again from the present resident size. False when the
// kernel does not offer it; the peak then counts from the start of the process.
inline bool resetPeakResident()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

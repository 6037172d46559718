#pragma once
// Command line of the receive path benchmark.

#include <string>

struct BenchOptions {
    double megabytes = 8.0;          // size of each flood, in MiB
    double lineRateSeconds = 10.0;   // length of the paced run
    bool hostile = false;            // also the floods of a hostile peer
    bool help = false;
};

// Parses argv; on a bad argument returns false with the reason in `error`.
bool parseBenchOptions(int argc, char** argv, BenchOptions& options, std::string& error);
std::string benchUsage(const char* program);

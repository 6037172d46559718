#include "bench/BenchOptions.h"

#include <cstdlib>
#include <string_view>

namespace {

bool parsePositive(const char* text, double& value)
{
    char* end = nullptr;
    const double parsed = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(parsed > 0.0) || parsed > 4096.0)
        return false;
    value = parsed;
    return true;
}

}  // namespace

bool parseBenchOptions(int argc, char** argv, BenchOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg == "--hostile") {
            options.hostile = true;
            continue;
        }
        double* target = nullptr;
        if (arg == "--megabytes")
            target = &options.megabytes;
        else if (arg == "--line-rate-seconds")
            target = &options.lineRateSeconds;
        if (target == nullptr) {
            error = "unknown argument: " + std::string(arg);
            return false;
        }
        if (i + 1 >= argc || !parsePositive(argv[i + 1], *target)) {
            error = std::string(arg) + " needs a positive number";
            return false;
        }
        ++i;
    }
    return true;
}

std::string benchUsage(const char* program)
{
    return std::string("usage: ") + program + " [--megabytes N] [--line-rate-seconds S] [--hostile] [--help]\n"
        "  Runs the receive path headless: a pseudo-terminal opened as COM1 by a\n"
        "  connection window whose left pane logs local traffic.\n"
        "  --megabytes N          size of the ASCII and the Korean flood (default 8)\n"
        "  --line-rate-seconds S  length of the run paced at 11,520 bytes/s (default 10)\n"
        "  --hostile              also floods N MiB of empty link frames and of random bytes\n";
}

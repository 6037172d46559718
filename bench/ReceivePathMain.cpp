// bench-receive-path: measures the receive path of a connection window from
// a pseudo-terminal to the left pane's log and screen, headless.
//
//   1. an ASCII flood: throughput, CPU seconds per MiB, worst window stall,
//      resident size before, at the peak and once everything is drawn
//   2. the same flood in Korean (code page 949)
//   3. ASCII paced at 11,520 bytes/s: CPU share of one core
//   4. with --hostile: empty link frames back to back, then random bytes;
//      each ends when the left pane shows the marker sent after it
//
// The last line sums the figures up in one fixed, parseable form.

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/BenchOptions.h"
#include "bench/PtyFeeder.h"
#include "bench/ReceiveRun.h"
#include "bench/TrafficText.h"

namespace {

constexpr int lineRateBytesPerSecond = 11520;

double mib(long kb)
{
    return static_cast<double>(kb) / 1024.0;
}

void printFlood(const char* name, const FloodResult& r)
{
    std::printf("%s flood: %.2f MiB in %.3f s = %.2f MB/s, %.3f CPU s/MB, worst window stall %.1f ms%s\n",
                name, r.megabytes, r.seconds, r.megabytesPerSecond(), r.cpuSecondsPerMegabyte(), r.worstStallMs,
                r.complete ? "" : " (INCOMPLETE: not every byte reached the log)");
    std::printf("%s flood: RSS %.1f MiB before, %.1f MiB peak%s, %.1f MiB after\n", name, mib(r.rssBeforeKb),
                mib(r.rssPeakKb), r.peakSinceStart ? " (since start)" : "", mib(r.rssAfterKb));
}

std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

}  // namespace

int main(int argc, char** argv)
{
    BenchOptions options;
    std::string error;
    if (!parseBenchOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "%s\n%s", error.c_str(), benchUsage(argv[0]).c_str());
        return 2;
    }
    if (options.help) {
        std::printf("%s", benchUsage(argv[0]).c_str());
        return 0;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);  // keeps a value the caller set
    QApplication app(argc, argv);

    const auto floodBytes = static_cast<std::size_t>(options.megabytes * 1024.0 * 1024.0);
    const Traffic ascii = asciiTraffic(floodBytes);
    const Traffic korean = koreanTraffic(floodBytes);
    const auto pacedBytes = static_cast<std::size_t>(options.lineRateSeconds * lineRateBytesPerSecond);
    const Traffic pacedText = asciiPrefix(pacedBytes);
    if (!reachesLogWhole(ascii) || !reachesLogWhole(korean)) {
        std::fprintf(stderr, "traffic holds bytes the receive path does not log\n");
        return 1;
    }

    PtyFeeder feeder;
    if (!feeder.open()) {
        std::fprintf(stderr, "cannot create a pseudo-terminal\n");
        return 1;
    }
    std::printf("load average before: %s (%s platform)\n", loadAverage().c_str(),
                qPrintable(QApplication::platformName()));
    ReceiveRun run(feeder);
    if (!run.start(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const FloodResult asciiFlood = run.flood(ascii);
    printFlood("ASCII", asciiFlood);
    const FloodResult koreanFlood = run.flood(korean);
    printFlood("Korean", koreanFlood);
    const PacedResult lineRate = run.paced(pacedText, lineRateBytesPerSecond);
    std::printf("line rate: %zu bytes at %d bytes/s over %.2f s, %.3f CPU s = %.2f %% of a core%s\n",
                pacedText.total, lineRateBytesPerSecond, lineRate.seconds, lineRate.cpuSeconds,
                lineRate.cpuPercent(), lineRate.complete ? "" : " (INCOMPLETE)");
    if (options.hostile) {
        printFlood("empty frames", run.flood(emptyFrameStorm(floodBytes, hostileMarker("END-1")), "END-1"));
        printFlood("random bytes", run.flood(randomBytes(floodBytes, hostileMarker("END-2")), "END-2"));
    }
    run.finish();
    std::printf("load average after: %s\n", loadAverage().c_str());

    std::printf("receive path: %.1f MB/s, %.2f CPU s/MB, worst window stall %.0f ms, Korean %.1f MB/s, "
                "%.1f %% CPU at line rate, RSS peak %.0f MiB, after %.0f MiB\n",
                asciiFlood.megabytesPerSecond(), asciiFlood.cpuSecondsPerMegabyte(), asciiFlood.worstStallMs,
                koreanFlood.megabytesPerSecond(), lineRate.cpuPercent(),
                mib(std::max(asciiFlood.rssPeakKb, koreanFlood.rssPeakKb)), mib(koreanFlood.rssAfterKb));
    return 0;
}

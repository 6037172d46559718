#pragma once
// One connection window on the benchmark's pseudo-terminal, shown on the
// (offscreen) screen with its left pane logging local traffic, and the runs
// measured on it. Everything here runs on the window thread.

#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>

#include "bench/PtyFeeder.h"
#include "bench/TrafficText.h"

class BenchHost;
class CChildFrame;

struct FloodResult {
    bool complete = false;     // every byte reached the log
    double seconds = 0.0;      // first byte written to last byte in the log
    double megabytes = 0.0;    // MiB
    double cpuSeconds = 0.0;   // the program's threads, the benchmark's own taken out
    double worstStallMs = 0.0; // largest tick gap of a 5 ms timer, less 5 ms
    long rssBeforeKb = -1;     // resident size when the flood starts
    long rssPeakKb = -1;       // the highest resident size during the flood
    bool peakSinceStart = false; // the peak could not be reset: it counts from the process start
    long rssAfterKb = -1;      // resident size once everything is drawn

    double megabytesPerSecond() const { return seconds > 0.0 ? megabytes / seconds : 0.0; }
    double cpuSecondsPerMegabyte() const { return megabytes > 0.0 ? cpuSeconds / megabytes : 0.0; }
};

struct PacedResult {
    bool complete = false;
    double seconds = 0.0;
    double cpuSeconds = 0.0;

    double cpuPercent() const { return seconds > 0.0 ? cpuSeconds / seconds * 100.0 : 0.0; }
};

class ReceiveRun {
public:
    explicit ReceiveRun(PtyFeeder& feeder);
    ~ReceiveRun();

    // Opens the window on COM1 (mapped to the pseudo-terminal), opens the left
    // pane's log and waits for the reader thread. False with a reason on failure.
    bool start(std::string& error);
    // Floods the traffic at full speed. Without a marker the run ends when
    // the left pane's log holds every byte; with one, when the left pane
    // shows the marker (traffic that does not all reach the log).
    FloodResult flood(const Traffic& traffic, const std::string& marker = {});
    PacedResult paced(const Traffic& traffic, int bytesPerSecond);
    // Closes the window (which stops its reader thread) and releases the port.
    void finish();

private:
    struct Completion;
    // Runs the event loop until the log has grown by `bytes` or stopped growing.
    Completion waitForLog(long long targetSize, int pollMs);
    Completion waitForMarker(const std::string& marker);
    Completion waitFor(const std::function<bool(bool& complete)>& done, int pollMs);
    long long logSize() const;
    void settle(int ms);

    PtyFeeder& m_feeder;
    QTemporaryDir m_dir;
    std::string m_logPath;
    std::unique_ptr<BenchHost> m_host;
    std::unique_ptr<CChildFrame> m_frame;
};

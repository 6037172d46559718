#pragma once
// The far end of the line: the master side of a pseudo-terminal whose slave
// the connection window opens as its COM port. A writer thread sends the
// traffic, either as fast as the pseudo-terminal takes it or paced at a
// given byte rate, and throws away whatever the window writes back (the
// modem initialisation command).

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "bench/TrafficText.h"

class PtyFeeder {
public:
    using Clock = std::chrono::steady_clock;

    PtyFeeder() = default;
    ~PtyFeeder();
    PtyFeeder(const PtyFeeder&) = delete;
    PtyFeeder& operator=(const PtyFeeder&) = delete;

    // Creates the pseudo-terminal with its slave in raw mode. False on failure.
    bool open();
    const std::string& slavePath() const { return m_slavePath; }

    // Starts the writer thread. bytesPerSecond 0 writes at full speed;
    // otherwise a chunk is written every chunkMs to keep the rate.
    void start(Traffic traffic, int bytesPerSecond = 0, int chunkMs = 10);
    // Waits for the writer to finish (it ends when every byte is written).
    void join();

    // Valid after join(): when the first byte went out, and the CPU seconds
    // the writer thread used (to be taken out of the process figures).
    Clock::time_point firstByteTime() const { return m_firstByte; }
    double writerCpuSeconds() const { return m_writerCpu; }
    bool wroteAll() const { return m_wroteAll; }
    // True once the writer has ended (every byte written, or given up).
    bool finished() const { return m_finished.load(); }

private:
    void writeLoop(int bytesPerSecond, int chunkMs);
    // Writes the bytes of the run from `from` up to `to`.
    bool writeRange(std::size_t from, std::size_t to);
    bool writeSome(const char* data, std::size_t length);
    void discardEcho();

    int m_master = -1;
    std::string m_slavePath;
    Traffic m_traffic;
    std::thread m_writer;
    Clock::time_point m_firstByte{};
    double m_writerCpu = 0.0;
    bool m_wroteAll = false;
    std::atomic<bool> m_finished{false};
};

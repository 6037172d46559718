#pragma once
// Serves a simulated line on a pseudo-terminal: the terminal program opens the
// slave path. A pseudo-terminal has no modem lines, so no carrier is shown;
// only the raw modem dialogue works here.

#include <atomic>
#include <memory>
#include <string>

#include "tools/krv-sim/LineEndpoint.h"

class Transcript;

class PtyTransport {
public:
    PtyTransport(std::unique_ptr<LineEndpoint> endpoint, Transcript* transcript = nullptr);
    ~PtyTransport();
    PtyTransport(const PtyTransport&) = delete;
    PtyTransport& operator=(const PtyTransport&) = delete;

    bool open(std::string& error);
    const std::string& slavePath() const { return slavePath_; }
    // Waits at most timeoutMs for input, then handles it and runs timers.
    void step(int timeoutMs);
    void requestCarrierDrop() { dropCarrier_ = true; }

private:
    std::unique_ptr<LineEndpoint> endpoint_;
    Transcript* transcript_;
    int masterFd_ = -1;
    int slaveFd_ = -1;  // held open so the master never sees a hang-up
    std::string slavePath_;
    std::atomic<bool> dropCarrier_{false};
};

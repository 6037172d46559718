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
    const std::string& slavePath() const { return m_slavePath; }
    // Waits at most timeoutMs for input, then handles it and runs timers.
    void step(int timeoutMs);
    void requestCarrierDrop() { m_dropCarrier = true; }

private:
    std::unique_ptr<LineEndpoint> m_endpoint;
    Transcript* m_transcript;
    int m_masterFd = -1;
    int m_slaveFd = -1;  // held open so the master never sees a hang-up
    std::string m_slavePath;
    std::atomic<bool> m_dropCarrier{false};
};

#pragma once
// Tells a line that trickles from one that floods, from the bytes read over
// the last tenth of a second or so; a flood as soon as a window's worth of a
// slow line has come. The receive thread pauses between reads
// only on a slow line, where a pause gathers the next bytes into one read; a
// fast sender is never paused. A line nothing has been read from yet counts
// as slow.

#include <chrono>
#include <cstddef>

class ArrivalRate {
public:
    using Clock = std::chrono::steady_clock;

    // Below this a line counts as slow: a pause of the receive thread then
    // leaves at most a few kilobytes waiting in the device.
    static constexpr std::size_t slowBytesPerSecond = 64 * 1024;
    static constexpr std::chrono::milliseconds window{100};

    // Bytes read at `now`.
    void count(std::size_t bytes, Clock::time_point now)
    {
        m_bytes += bytes;
        const auto elapsed = now - m_since;
        if (elapsed < window) {
            // A flood shows before the window is out: pause no longer.
            if (m_bytes >= slowBytesPerSecond * window.count() / 1000)
                m_slow = false;
            return;
        }
        const double seconds = std::chrono::duration<double>(elapsed).count();
        m_slow = static_cast<double>(m_bytes) < seconds * static_cast<double>(slowBytesPerSecond);
        m_bytes = 0;
        m_since = now;
    }

    bool slow() const { return m_slow; }

private:
    std::size_t m_bytes = 0;
    Clock::time_point m_since{};
    bool m_slow = true;
};

#pragma once
// A connection's output to its port: writes are queued by the port and moved
// on by a timer while the line holds them, so nobody waits for the line. It
// tells when the line holds output (for the "전송 대기 중" mark), when a
// stalled line made bytes be dropped or the queue refused a write, and it
// tells when what was written so far has left the port, where the pauses
// between writes begin.
//
// Plain C++ on an EventLoop; loop thread only.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/LoopTimers.h"

class SerialPort;

class LineOutput {
public:
    // How long output must wait before the line counts as holding it.
    static constexpr std::chrono::milliseconds heldAfter{200};

    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void outputHeldChanged(bool held) = 0;
        // A message for the panes (code page 949). Told from inside write()
        // or a tick; the listener shows it once it is back on its own.
        virtual void outputTrouble(const std::string& message) = 0;
    };

    LineOutput(SerialPort& port, EventLoop& loop, Listener& listener);

    // Queues the bytes for the port; a write the queue refuses is told.
    // Nothing is written once cancelled.
    void write(const std::string& bytes);
    // Calls `then` once what was written so far has left the port, or been
    // dropped (at its time limit or by drop()): at once when it already has.
    // Never called after cancel(). `then` may write or wait again, but must
    // not destroy this output (post that to the loop instead).
    void whenSent(std::function<void()> then);
    // Drops what is still queued for the port.
    void drop();
    // Drops what is queued, forgets every whenSent, and writes nothing more:
    // the connection is closing or the program ends.
    void cancel();
    bool isCancelled() const { return m_cancelled; }
    bool isHeld() const { return m_held; }

private:
    void pump();
    void showHeld(bool held);
    void schedule();

    SerialPort& m_port;
    LoopTimers m_timers;
    Listener& m_listener;
    EventLoop::TimerId m_tick = 0;
    std::chrono::milliseconds m_tickInterval{0};
    std::vector<std::pair<std::uint64_t, std::function<void()>>> m_waiters;
    bool m_held = false;
    bool m_cancelled = false;
};

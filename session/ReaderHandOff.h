#pragma once
// Frames and lines on their way from a connection window's reader thread to
// its window thread, in the order the reader completed them.
//
// Local echo keeps its place among the frames: while a frame handed over has
// not been handled yet, the reader hands the local bytes that follow it over
// too (as an echo item, written by the window thread after the frame) instead
// of writing them into the panes itself. So the panes show echo and frames in
// arrival order, however the reader batches its work.
//
// Bounded: while maxItems items or maxBytes bytes wait, the reader waits too
// (waitForRoom), which leaves the port's receive queue to fill and the port
// then holds the sender back. The window thread is asked to take only when no
// request is outstanding, so a burst of frames and lines costs one posted call,
// not one per item. While text keeps coming, lines alone are asked for at most
// once per linePace: a line only matters to the
// connection's dialogue, which is not hurried by a few tens of milliseconds,
// and text at the line rate would otherwise wake the window thread for nearly
// every line; the window thread, when it ticks anyway, takes them unasked.
// Frames and echo are asked for at once. Plain C++, no Qt: the caller posts
// the call.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class ReaderHandOff {
public:
    enum class Kind : std::uint8_t { Frame, Line, Echo };
    struct Item {
        Kind kind = Kind::Line;
        std::string bytes;
    };

    using Clock = std::chrono::steady_clock;

    static constexpr std::size_t maxItems = 4096;
    static constexpr std::size_t maxBytes = 1 << 20;
    static constexpr std::chrono::milliseconds linePace{50};
    // More lines than this waiting are asked for at once: a flood of lines
    // must not wait for the pace and fill the hand-off.
    static constexpr std::size_t pacedLinesMax = 256;

    // Reader: appends the items in order and empties `items`. True when the
    // window thread has to be asked to take them now: no request outstanding,
    // and a frame or echo among them, more than pacedLinesMax items waiting, or
    // the last request linePace ago.
    bool put(std::vector<Item>& items, Clock::time_point now);
    // Reader: when items wait that nobody has asked for, the time at which
    // they are due to be asked for.
    std::optional<Clock::time_point> dueAt() const;
    // Reader: asks for waiting items once they are due. True when the caller
    // must post the request.
    bool askIfDue(Clock::time_point now);
    // Window: about to take whatever waits, unasked (on its own tick); counts
    // as a request, so the reader does not ask for these. False when nothing
    // waits.
    bool claimWaiting(Clock::time_point now);
    // Reader: true at once while both limits leave room. Once either is
    // reached, waits at most `slice` for the window thread to take the queue
    // down to half of both, and says whether it has; a later call goes on
    // waiting for that. Never waits longer than the slice, so the reader can
    // look at its run flag between slices.
    bool waitForRoom(std::chrono::milliseconds slice);

    // Window: called when a request is answered; a later put asks again.
    void beginTaking();
    // Window: takes the oldest item; false when none waits.
    bool take(Item& item);
    // Window: an item taken has been handled (its output is in the panes).
    void handled(Kind kind);
    // Window: stopping with items left, asks for another call. True when the
    // caller must post it (none is outstanding).
    bool askAgain();

    // Reader: true while a frame or echo item handed over has not been
    // handled; local bytes must then be handed over too, to stay behind it.
    bool echoMustFollow() const;

    std::size_t itemCount() const;
    std::size_t byteCount() const;

private:
    bool fullLocked() const { return m_items.size() >= maxItems || m_bytes >= maxBytes; }
    bool halfEmptyLocked() const { return m_items.size() <= maxItems / 2 && m_bytes <= maxBytes / 2; }

    mutable std::mutex m_mutex;
    std::condition_variable m_taken;
    std::deque<Item> m_items;
    std::size_t m_bytes = 0;
    bool m_requested = false;
    Clock::time_point m_lastRequest{};
    bool m_readerWaiting = false;
    bool m_holding = false;  // full was reached and half has not been taken yet
    std::size_t m_unhandledOutput = 0;  // frame and echo items not yet handled
};

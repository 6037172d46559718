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
// not one per item. Plain C++, no Qt: the caller posts the call.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

class ReaderHandOff {
public:
    enum class Kind : std::uint8_t { Frame, Line, Echo };
    struct Item {
        Kind kind = Kind::Line;
        std::string bytes;
    };

    static constexpr std::size_t maxItems = 4096;
    static constexpr std::size_t maxBytes = 1 << 20;

    // Reader: appends the items in order and empties `items`. True when the
    // window thread has to be asked to take them (no request outstanding).
    bool put(std::vector<Item>& items);
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
    bool m_readerWaiting = false;
    bool m_holding = false;  // full was reached and half has not been taken yet
    std::size_t m_unhandledOutput = 0;  // frame and echo items not yet handled
};

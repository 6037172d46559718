#pragma once
// Bytes on their way out to a line that may hold them back (XOFF, a peer that
// reads nothing), so that whoever writes never waits for the line.
//
// Writes leave whole and in order. Each write has a time limit that starts when
// it comes to the front: bytes the line has not taken by then are dropped, as a
// blocking write would give up on them. A write is finished once the line has
// taken all of its bytes and says they have left, or at its limit. Marks tell
// when everything queued up to a point is finished, so a pause between two
// writes can start when the first has left.
//
// At most `capacity` bytes not yet taken by the line are held; a write that
// does not fit is refused whole, so a link frame is never cut short.
//
// Plain logic without threads or clocks of its own: the owner calls pump() with
// the time whenever output is pending.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

class WriteQueue {
public:
    static constexpr std::size_t capacity = 1 << 20;

    // What the queue writes to.
    class Line {
    public:
        virtual ~Line() = default;
        // Takes what it can of the bytes without waiting; returns how many.
        virtual std::size_t writeSome(const std::uint8_t* data, std::size_t length) = 0;
        // True when every byte taken has left (nothing waits in the driver).
        virtual bool outputLeft() = 0;
    };

    // Queues a write with its time limit. False, queuing nothing, for no bytes
    // or when they do not fit.
    bool push(std::string_view bytes, int timeLimitMs);
    // Hands the line what it takes now and finishes writes that have left or
    // reached their limit.
    void pump(Line& line, std::int64_t nowMs);
    // Drops everything queued; what was queued counts as finished.
    void clear();

    bool empty() const { return m_writes.empty(); }
    // Bytes the line has not taken yet.
    std::size_t queuedBytes() const { return m_queuedBytes; }
    // The mark of the last write queued so far.
    std::uint64_t mark() const { return m_lastQueued; }
    // True when every write up to the mark is finished.
    bool finished(std::uint64_t mark) const { return m_lastFinished >= mark; }
    // How long the front write has waited; 0 when nothing waits.
    std::int64_t heldMs(std::int64_t nowMs) const;
    // True once after bytes were dropped at their limit; not again until a
    // write has gone out whole, so a stalled line is told about once.
    bool takeDropNotice();

private:
    struct Write {
        std::string bytes;
        std::size_t taken = 0;
        int limitMs = 0;
        std::int64_t startMs = -1;  // when it came to the front
    };
    void finishFront(bool whole);

    std::deque<Write> m_writes;
    std::size_t m_queuedBytes = 0;
    std::uint64_t m_lastQueued = 0;
    std::uint64_t m_lastFinished = 0;
    bool m_dropNotice = false;
    bool m_dropTold = false;
};

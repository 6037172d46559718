#pragma once
// First-in first-out queue of received bytes, filled by a port's receive thread
// and emptied by the connection window's reader thread.
//
// Bytes are kept in a chain of fixed-size chunks: the head chunk is read from
// its front, the tail chunk written at its end. A chunk that has been read
// through is given back at once, except that the queue keeps one spare chunk
// so a queue that keeps running empty does not allocate for every read; clear
// gives back that one too. Storage therefore follows what the queue holds now,
// never what it once held. All queues of the process serialize push, pop and
// clear on one shared lock, the queue lock.

#include <atomic>
#include <cstddef>
#include <cstdint>

class ByteQueue {
public:
    // Bytes per chunk: the allocation stays below the point where the
    // allocator maps pages of its own, and a 1 MiB backlog is 64 chunks.
    static constexpr std::size_t chunkCapacity = 16 * 1024 - 2 * sizeof(void*);

    ByteQueue();
    ~ByteQueue();
    ByteQueue(const ByteQueue&) = delete;
    ByteQueue& operator=(const ByteQueue&) = delete;

    // Appends one byte at the tail.
    void push(std::uint8_t byte);
    // Removes and returns the byte at the head. Meant to be called only when
    // count() is above 0; on an empty queue it returns 0 and changes nothing.
    std::uint8_t pop();
    // Removes the head byte into `byte` when there is one; the check and the
    // removal happen under the queue lock, so a clear from another thread in
    // between cannot make it take from an empty queue.
    bool tryPop(std::uint8_t& byte);
    // Appends `count` bytes at the tail, in order, under one taking of the
    // queue lock.
    void pushMany(const std::uint8_t* bytes, std::size_t count);
    // Removes up to `max` bytes from the head into `out`, in order, under one
    // taking of the queue lock; returns how many. 0 on an empty queue.
    std::size_t tryPopMany(std::uint8_t* out, std::size_t max);
    // Number of bytes held, read without the lock.
    std::int32_t count() const { return m_count.load(); }
    // Drops every byte and gives back all storage, the spare chunk included.
    void clear();

    // Chunks allocated right now, the spare included; for tests.
    std::size_t chunkCount() const;

private:
    struct Chunk;

    // The callers hold the queue lock.
    Chunk* newChunkLocked();
    void retireHeadLocked();
    void releaseAllLocked();

    Chunk* m_head = nullptr;    // oldest bytes; read from m_readOffset
    Chunk* m_tail = nullptr;    // newest bytes; written up to m_tail->used
    std::size_t m_readOffset = 0;
    Chunk* m_spare = nullptr;   // at most one chunk kept for the next push
    std::size_t m_chunks = 0;
    // Changed under the queue lock, read without it. Sequentially consistent:
    // the receive thread's pause (SerialPort) relies on seeing a take that
    // happened before it looked.
    std::atomic<std::int32_t> m_count{0};
};

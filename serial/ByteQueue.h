#pragma once
// First-in first-out queue of received bytes, filled by a port's receive thread
// and emptied by the connection window's reader thread.
//
// Every byte is its own node in a doubly linked list. Nodes come from a free
// list that grows one block of 10 nodes at a time; as soon as the queue runs
// empty (by the last pop or by clear) every block is given back, so an idle
// queue holds no storage. All queues of the process serialize push, pop and
// clear on one shared lock, the queue lock.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class ByteQueue {
public:
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
    // queue lock. Each byte still gets its own node.
    void pushMany(const std::uint8_t* bytes, std::size_t count);
    // Removes up to `max` bytes from the head into `out`, in order, under one
    // taking of the queue lock; returns how many. 0 on an empty queue. Storage
    // is given back when this empties the queue, as with pop.
    std::size_t tryPopMany(std::uint8_t* out, std::size_t max);
    // Number of bytes held, read without the lock.
    std::int32_t count() const { return m_count.load(std::memory_order_acquire); }
    // Drops every byte and gives back all node storage.
    void clear();

    // Node blocks currently held (each holds 10 nodes); for tests.
    std::size_t blockCount() const;

    static constexpr std::size_t nodesPerBlock = 10;

private:
    struct Node {
        Node* next = nullptr;
        Node* previous = nullptr;
        std::uint8_t byte = 0;
    };
    struct Block {
        Node nodes[nodesPerBlock];
    };

    // The callers hold the queue lock.
    Node* takeFreeNode();
    void linkTail(std::uint8_t byte);
    std::uint8_t unlinkHead();
    void releaseAllLocked();

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    Node* m_free = nullptr;
    std::vector<std::unique_ptr<Block>> m_blocks;
    std::atomic<std::int32_t> m_count{0};
};

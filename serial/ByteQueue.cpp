#include "serial/ByteQueue.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

// One lock for every queue of the process. A function-local static outlives
// every queue that is destroyed after first use, including static ones.
std::mutex& queueLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

struct ByteQueue::Chunk {
    Chunk* next = nullptr;
    std::size_t used = 0;  // bytes written into `bytes`
    std::uint8_t bytes[chunkCapacity];
};

ByteQueue::ByteQueue() = default;

ByteQueue::~ByteQueue()
{
    clear();
}

ByteQueue::Chunk* ByteQueue::newChunkLocked()
{
    Chunk* chunk = m_spare;
    if (chunk != nullptr) {
        m_spare = nullptr;
    } else {
        chunk = new Chunk;
        ++m_chunks;
    }
    chunk->next = nullptr;
    chunk->used = 0;
    return chunk;
}

void ByteQueue::push(std::uint8_t byte)
{
    pushMany(&byte, 1);
}

void ByteQueue::pushMany(const std::uint8_t* bytes, std::size_t count)
{
    if (bytes == nullptr || count == 0) {
        return;
    }
    std::lock_guard<std::mutex> guard(queueLock());
    std::size_t done = 0;
    while (done < count) {
        if (m_tail == nullptr || m_tail->used == chunkCapacity) {
            Chunk* chunk = newChunkLocked();
            if (m_tail != nullptr) {
                m_tail->next = chunk;
            } else {
                m_head = chunk;
                m_readOffset = 0;
            }
            m_tail = chunk;
        }
        const std::size_t room = chunkCapacity - m_tail->used;
        const std::size_t length = std::min(room, count - done);
        std::memcpy(m_tail->bytes + m_tail->used, bytes + done, length);
        m_tail->used += length;
        done += length;
    }
    // Published once all are stored, so a reader that sees the count finds them.
    m_count.fetch_add(static_cast<std::int32_t>(count));
}

// The head chunk has been read through: give it back, or keep it as the spare.
void ByteQueue::retireHeadLocked()
{
    Chunk* done = m_head;
    m_head = done->next;
    m_readOffset = 0;
    if (m_head == nullptr) {
        m_tail = nullptr;
    }
    if (m_spare == nullptr) {
        m_spare = done;
    } else {
        delete done;
        --m_chunks;
    }
}

std::uint8_t ByteQueue::pop()
{
    std::uint8_t byte = 0;
    tryPopMany(&byte, 1);
    return byte;
}

bool ByteQueue::tryPop(std::uint8_t& byte)
{
    return tryPopMany(&byte, 1) == 1;
}

std::size_t ByteQueue::tryPopMany(std::uint8_t* out, std::size_t max)
{
    if (out == nullptr || max == 0) {
        return 0;
    }
    std::lock_guard<std::mutex> guard(queueLock());
    std::size_t taken = 0;
    while (taken < max && m_head != nullptr) {
        const std::size_t available = m_head->used - m_readOffset;
        const std::size_t length = std::min(available, max - taken);
        std::memcpy(out + taken, m_head->bytes + m_readOffset, length);
        m_readOffset += length;
        taken += length;
        if (m_readOffset == m_head->used) {
            // Read through: a full chunk, or the last one, which leaves the
            // queue empty; the next push starts a new chunk (the spare).
            retireHeadLocked();
        }
    }
    if (taken > 0) {
        m_count.fetch_sub(static_cast<std::int32_t>(taken));
    }
    return taken;
}

void ByteQueue::clear()
{
    std::lock_guard<std::mutex> guard(queueLock());
    releaseAllLocked();
}

void ByteQueue::releaseAllLocked()
{
    while (m_head != nullptr) {
        Chunk* next = m_head->next;
        delete m_head;
        m_head = next;
    }
    delete m_spare;
    m_spare = nullptr;
    m_tail = nullptr;
    m_readOffset = 0;
    m_chunks = 0;
    m_count.store(0);
}

std::size_t ByteQueue::chunkCount() const
{
    std::lock_guard<std::mutex> guard(queueLock());
    return m_chunks;
}

#include "serial/ByteQueue.h"

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

ByteQueue::ByteQueue()
{
    clear();
}

ByteQueue::~ByteQueue()
{
    clear();
}

ByteQueue::Node* ByteQueue::takeFreeNode()
{
    if (m_free == nullptr) {
        auto block = std::make_unique<Block>();
        for (Node& node : block->nodes) {
            node.next = m_free;
            m_free = &node;
        }
        m_blocks.push_back(std::move(block));
    }
    Node* node = m_free;
    m_free = node->next;
    node->next = nullptr;
    node->previous = nullptr;
    return node;
}

void ByteQueue::linkTail(std::uint8_t byte)
{
    Node* node = takeFreeNode();
    node->byte = byte;
    node->previous = m_tail;
    if (m_tail != nullptr) {
        m_tail->next = node;
    } else {
        m_head = node;
    }
    m_tail = node;
}

void ByteQueue::push(std::uint8_t byte)
{
    std::lock_guard<std::mutex> guard(queueLock());
    linkTail(byte);
    m_count.fetch_add(1, std::memory_order_release);
}

void ByteQueue::pushMany(const std::uint8_t* bytes, std::size_t count)
{
    if (bytes == nullptr || count == 0) {
        return;
    }
    std::lock_guard<std::mutex> guard(queueLock());
    for (std::size_t i = 0; i < count; ++i) {
        linkTail(bytes[i]);
    }
    // Published once all are linked, so a reader that sees the count finds them.
    m_count.fetch_add(static_cast<std::int32_t>(count), std::memory_order_release);
}

std::uint8_t ByteQueue::unlinkHead()
{
    Node* node = m_head;
    const std::uint8_t byte = node->byte;
    m_head = node->next;
    if (m_head != nullptr) {
        m_head->previous = nullptr;
    } else {
        m_tail = nullptr;
    }
    node->next = m_free;
    node->previous = nullptr;
    m_free = node;
    if (m_count.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        releaseAllLocked();
    }
    return byte;
}

std::uint8_t ByteQueue::pop()
{
    std::lock_guard<std::mutex> guard(queueLock());
    if (m_head == nullptr) {
        return 0;
    }
    return unlinkHead();
}

bool ByteQueue::tryPop(std::uint8_t& byte)
{
    std::lock_guard<std::mutex> guard(queueLock());
    if (m_head == nullptr) {
        return false;
    }
    byte = unlinkHead();
    return true;
}

std::size_t ByteQueue::tryPopMany(std::uint8_t* out, std::size_t max)
{
    if (out == nullptr) {
        return 0;
    }
    std::lock_guard<std::mutex> guard(queueLock());
    std::size_t taken = 0;
    while (taken < max && m_head != nullptr) {
        out[taken++] = unlinkHead();
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
    m_head = nullptr;
    m_tail = nullptr;
    m_free = nullptr;
    m_blocks.clear();
    m_count.store(0, std::memory_order_release);
}

std::size_t ByteQueue::blockCount() const
{
    std::lock_guard<std::mutex> guard(queueLock());
    return m_blocks.size();
}

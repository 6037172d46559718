#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "serial/ByteQueue.h"

namespace {

std::vector<std::uint8_t> numbered(std::size_t count, std::size_t first = 0)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>((first + i) % 251);
    }
    return bytes;
}

} // namespace

TEST(ByteQueue, KeepsArrivalOrderAcrossChunksWhateverTheTakeSize)
{
    ByteQueue queue;
    const std::size_t total = 3 * ByteQueue::chunkCapacity + 17;
    const std::vector<std::uint8_t> bytes = numbered(total);
    // Pushed in pieces that straddle chunk ends, plus single bytes.
    std::size_t pushed = 0;
    for (std::size_t piece = 1; pushed < total; piece = piece * 3 + 1) {
        const std::size_t length = std::min(piece, total - pushed);
        if (length == 1) {
            queue.push(bytes[pushed]);
        } else {
            queue.pushMany(bytes.data() + pushed, length);
        }
        pushed += length;
    }
    EXPECT_EQ(queue.count(), static_cast<std::int32_t>(total));

    std::vector<std::uint8_t> out;
    std::uint8_t byte = 0;
    ASSERT_TRUE(queue.tryPop(byte));
    out.push_back(byte);
    out.push_back(queue.pop());
    std::vector<std::uint8_t> buffer(ByteQueue::chunkCapacity + 5);
    while (std::size_t got = queue.tryPopMany(buffer.data(), buffer.size())) {
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
    }
    EXPECT_EQ(out, bytes);
    EXPECT_EQ(queue.count(), 0);
}

TEST(ByteQueue, StorageFollowsWhatIsHeldAndClearGivesAllBack)
{
    ByteQueue queue;
    EXPECT_EQ(queue.chunkCount(), 0U);
    const std::vector<std::uint8_t> bytes = numbered(4 * ByteQueue::chunkCapacity);
    queue.pushMany(bytes.data(), bytes.size());
    EXPECT_EQ(queue.chunkCount(), 4U);

    std::vector<std::uint8_t> out(ByteQueue::chunkCapacity);
    ASSERT_EQ(queue.tryPopMany(out.data(), out.size()), out.size());
    ASSERT_EQ(queue.tryPopMany(out.data(), out.size()), out.size());
    EXPECT_EQ(queue.chunkCount(), 3U) << "two chunks held and one spare; the other read-through chunk is freed";
    while (queue.tryPopMany(out.data(), out.size()) > 0) {
    }
    EXPECT_EQ(queue.chunkCount(), 1U) << "a drained queue keeps only its spare";

    // A long stream through a queue that never holds much never grows.
    const std::vector<std::uint8_t> piece = numbered(1000);
    for (int round = 0; round < 2000; ++round) {
        queue.pushMany(piece.data(), piece.size());
        ASSERT_EQ(queue.tryPopMany(out.data(), 1000), 1000U);
        ASSERT_LE(queue.chunkCount(), 2U);
    }

    queue.push(7);
    queue.clear();
    EXPECT_EQ(queue.count(), 0);
    EXPECT_EQ(queue.chunkCount(), 0U);
}

TEST(ByteQueue, AnEmptyQueueGivesNothingAndTakesNothingFromNowhere)
{
    ByteQueue queue;
    std::uint8_t byte = 99;
    EXPECT_FALSE(queue.tryPop(byte));
    EXPECT_EQ(byte, 99);
    EXPECT_EQ(queue.pop(), 0) << "a pop on an empty queue changes nothing";
    std::uint8_t out[4] = {9, 9, 9, 9};
    EXPECT_EQ(queue.tryPopMany(out, sizeof out), 0U);
    EXPECT_EQ(out[0], 9);

    queue.pushMany(nullptr, 0);
    const std::uint8_t one[1] = {5};
    queue.pushMany(one, 0);
    EXPECT_EQ(queue.count(), 0);
    EXPECT_EQ(queue.chunkCount(), 0U);

    queue.pushMany(one, 1);
    EXPECT_EQ(queue.tryPopMany(out, 0), 0U) << "a zero limit takes nothing";
    EXPECT_EQ(queue.tryPopMany(out, sizeof out), 1U) << "no more than the queue holds";
    EXPECT_EQ(out[0], 5);

    queue.push(42);
    queue.clear();
    EXPECT_FALSE(queue.tryPop(byte));
    queue.push(43);
    EXPECT_TRUE(queue.tryPop(byte));
    EXPECT_EQ(byte, 43);
}

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "serial/ByteQueue.h"

TEST(ByteQueue, StorageGrowsTenNodesAtATimeAndIsReleasedWhenEmpty)
{
    ByteQueue queue;
    EXPECT_EQ(queue.blockCount(), 0U);

    queue.push(1);
    EXPECT_EQ(queue.blockCount(), 1U);
    for (int i = 2; i <= 10; ++i) {
        queue.push(static_cast<std::uint8_t>(i));
    }
    EXPECT_EQ(queue.blockCount(), 1U);
    queue.push(11);  // the eleventh byte held needs a second block
    EXPECT_EQ(queue.blockCount(), 2U);
    EXPECT_EQ(queue.count(), 11);

    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(queue.pop(), i);
        EXPECT_EQ(queue.blockCount(), 2U) << "storage kept while bytes remain";
    }
    EXPECT_EQ(queue.pop(), 11);
    EXPECT_EQ(queue.count(), 0);
    EXPECT_EQ(queue.blockCount(), 0U);
}

TEST(ByteQueue, FreedNodesAreReusedBeforeNewBlocks)
{
    // One byte always stays behind, so the queue never runs empty while 500
    // bytes pass through it: freed nodes must be reused, not new blocks taken.
    ByteQueue queue;
    int pushed = 0;
    int popped = 0;
    queue.push(static_cast<std::uint8_t>(pushed++));
    for (int round = 0; round < 500; ++round) {
        queue.push(static_cast<std::uint8_t>(pushed++));
        ASSERT_EQ(queue.pop(), static_cast<std::uint8_t>(popped++));
    }
    EXPECT_EQ(queue.count(), 1);
    EXPECT_EQ(queue.blockCount(), 1U);
}

TEST(ByteQueue, KeepsOrderAcrossBlocksAndAfterClear)
{
    ByteQueue queue;
    for (int i = 0; i < 95; ++i) {
        queue.push(static_cast<std::uint8_t>(i));
    }
    for (int i = 0; i < 95; ++i) {
        ASSERT_EQ(queue.pop(), i);
    }
    queue.push(7);
    queue.push(8);
    queue.clear();
    EXPECT_EQ(queue.count(), 0);
    EXPECT_EQ(queue.blockCount(), 0U);
    std::uint8_t byte = 99;
    EXPECT_FALSE(queue.tryPop(byte));
    EXPECT_EQ(byte, 99);
    EXPECT_EQ(queue.pop(), 0) << "a pop on an empty queue must not touch freed storage";
    queue.push(42);
    EXPECT_TRUE(queue.tryPop(byte));
    EXPECT_EQ(byte, 42);
}

TEST(ByteQueue, PushManyAndPopManyKeepOrderAndBlockAccounting)
{
    ByteQueue queue;
    std::vector<std::uint8_t> bytes(25);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i + 1);
    }
    queue.pushMany(bytes.data(), bytes.size());
    EXPECT_EQ(queue.count(), 25);
    EXPECT_EQ(queue.blockCount(), 3U) << "one node per byte, ten to a block";
    queue.push(26);  // single pushes join the same order
    EXPECT_EQ(queue.blockCount(), 3U);

    std::uint8_t out[10] = {};
    ASSERT_EQ(queue.tryPopMany(out, 10), 10U);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(out[i], i + 1);
    }
    EXPECT_EQ(queue.count(), 16);
    EXPECT_EQ(queue.blockCount(), 3U) << "storage kept while bytes remain";
    EXPECT_EQ(queue.pop(), 11);

    std::uint8_t rest[64] = {};
    ASSERT_EQ(queue.tryPopMany(rest, sizeof rest), 15U) << "no more than the queue holds";
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(rest[i], i + 12);
    }
    EXPECT_EQ(queue.count(), 0);
    EXPECT_EQ(queue.blockCount(), 0U) << "storage given back when the queue runs empty";
}

TEST(ByteQueue, PopManyOnAnEmptyQueueTakesNothing)
{
    ByteQueue queue;
    std::uint8_t out[4] = {9, 9, 9, 9};
    EXPECT_EQ(queue.tryPopMany(out, sizeof out), 0U);
    EXPECT_EQ(out[0], 9);
    queue.pushMany(nullptr, 0);
    const std::uint8_t none[1] = {5};
    queue.pushMany(none, 0);
    EXPECT_EQ(queue.count(), 0);
    EXPECT_EQ(queue.blockCount(), 0U);

    queue.pushMany(none, 1);
    EXPECT_EQ(queue.tryPopMany(out, 0), 0U) << "a zero limit takes nothing";
    EXPECT_EQ(queue.count(), 1);
    EXPECT_EQ(queue.tryPopMany(out, sizeof out), 1U);
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(queue.tryPopMany(out, sizeof out), 0U);
    EXPECT_EQ(queue.blockCount(), 0U);
}

TEST(ByteQueue, FreedNodesAreReusedByPushMany)
{
    // Bytes pass through in chunks while a few always stay behind: the free
    // list is reused, so storage never grows past what is held at once.
    ByteQueue queue;
    std::vector<std::uint8_t> chunk(7);
    std::uint8_t next = 0;
    std::uint8_t expected = 0;
    std::uint8_t out[7] = {};
    for (int round = 0; round < 200; ++round) {
        for (auto& byte : chunk) {
            byte = next++;
        }
        queue.pushMany(chunk.data(), chunk.size());
        const std::size_t want = round == 0 ? 3 : 7;  // three stay behind from the first round on
        ASSERT_EQ(queue.tryPopMany(out, want), want);
        for (std::size_t i = 0; i < want; ++i) {
            ASSERT_EQ(out[i], expected++);
        }
    }
    EXPECT_EQ(queue.count(), 4);
    EXPECT_EQ(queue.blockCount(), 2U);
}

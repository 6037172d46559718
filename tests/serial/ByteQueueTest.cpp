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

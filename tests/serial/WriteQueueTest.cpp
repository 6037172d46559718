// The write queue against a line that takes what the test lets it: order, the
// marks that start a pause once bytes have left, the limits of a held line,
// telling a stall once, and the bound.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "serial/WriteQueue.h"

namespace {

struct ScriptedLine : WriteQueue::Line {
    std::size_t room = 1000;  // bytes it takes from now on
    bool left = true;
    std::string got;

    std::size_t writeSome(const std::uint8_t* data, std::size_t length) override
    {
        const std::size_t took = std::min(room, length);
        got.append(reinterpret_cast<const char*>(data), took);
        room -= took;
        return took;
    }
    bool outputLeft() override { return left; }
};

} // namespace

TEST(WriteQueue, WritesGoInOrderEachOnceTheOneBeforeHasLeft)
{
    WriteQueue queue;
    ScriptedLine line;
    line.left = false;
    queue.push("ATDT", 1000);
    const std::uint64_t afterDial = queue.mark();
    queue.push("+++", 1000);
    queue.pump(line, 0);
    EXPECT_EQ(line.got, "ATDT");
    EXPECT_FALSE(queue.finished(afterDial)) << "taken, but still in the driver";
    line.left = true;
    queue.pump(line, 10);
    EXPECT_EQ(line.got, "ATDT+++");
    EXPECT_TRUE(queue.finished(queue.mark()));
}

TEST(WriteQueue, AHeldLineDropsEachWritePastItsLimitFromTheFrontAndIsToldOnce)
{
    WriteQueue queue;
    ScriptedLine line;
    line.room = 0;
    queue.push("first", 100);
    queue.push("second", 50);
    queue.pump(line, 1000);
    queue.pump(line, 1100);
    EXPECT_FALSE(queue.finished(1));
    queue.pump(line, 1101);
    EXPECT_TRUE(queue.finished(1));
    EXPECT_EQ(queue.heldMs(1101), 0) << "the second write's limit starts now";
    EXPECT_TRUE(queue.takeDropNotice());
    queue.pump(line, 1152);
    EXPECT_TRUE(queue.empty());
    EXPECT_FALSE(queue.takeDropNotice()) << "one stall is told once";

    // Taken but not sent by the limit is no drop, and a whole write ends the stall.
    line.room = 100;
    line.left = false;
    queue.push("ATH\r", 10);
    queue.pump(line, 2000);
    queue.pump(line, 2011);
    EXPECT_TRUE(queue.empty());
    line.room = 0;
    queue.push("lost", 10);
    queue.pump(line, 3000);
    queue.pump(line, 3011);
    EXPECT_TRUE(queue.takeDropNotice());
    EXPECT_EQ(line.got, "ATH\r");
}

TEST(WriteQueue, WhatDoesNotFitIsRefusedWholeAndClearFinishesEverything)
{
    WriteQueue queue;
    ScriptedLine line;
    line.room = 4;
    ASSERT_TRUE(queue.push(std::string(WriteQueue::capacity - 3, 'a'), 10000));
    EXPECT_FALSE(queue.push("four", 10));
    EXPECT_TRUE(queue.push("abc", 10)) << "a write that exactly fills the room fits";
    queue.pump(line, 0);
    EXPECT_TRUE(queue.push("four", 10)) << "what the line took makes room";
    queue.clear();
    EXPECT_EQ(queue.queuedBytes(), 0U);
    EXPECT_TRUE(queue.finished(queue.mark()));
}

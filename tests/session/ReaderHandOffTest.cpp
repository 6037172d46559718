// The bounded hand-off of frames and lines from the reader thread to the
// window thread: one request per burst, arrival order, echo kept behind the
// frames not yet shown, and a full hand-off holding the reader until the
// window thread has taken half.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "session/ReaderHandOff.h"

using namespace std::chrono_literals;
using Item = ReaderHandOff::Item;
using Kind = ReaderHandOff::Kind;

namespace {

std::vector<Item> lines(int first, int count, std::size_t size = 3)
{
    std::vector<Item> items;
    for (int i = first; i < first + count; ++i) {
        std::string text = std::to_string(i);
        text.resize(std::max(size, text.size()), '.');
        items.push_back({i % 2 == 0 ? Kind::Line : Kind::Frame, text});
    }
    return items;
}

} // namespace

TEST(ReaderHandOff, OneRequestPerBurstAndItemsInOrder)
{
    ReaderHandOff handOff;
    std::vector<Item> batch;
    EXPECT_FALSE(handOff.put(batch)) << "nothing to take, nothing to ask";
    batch = lines(0, 3);
    EXPECT_TRUE(handOff.put(batch)) << "the first burst asks the window thread";
    EXPECT_TRUE(batch.empty());
    batch = lines(3, 2);
    EXPECT_FALSE(handOff.put(batch)) << "a request is outstanding";

    handOff.beginTaking();
    Item item;
    ASSERT_TRUE(handOff.take(item));
    EXPECT_EQ(item.bytes, "0..");
    EXPECT_EQ(item.kind, Kind::Line);
    // The window thread stops early with items left and asks once more.
    EXPECT_TRUE(handOff.askAgain());
    EXPECT_FALSE(handOff.askAgain()) << "one request at a time";
    batch = lines(5, 1);
    EXPECT_FALSE(handOff.put(batch));

    handOff.beginTaking();
    std::vector<std::string> rest;
    while (handOff.take(item)) {
        rest.push_back(item.bytes);
    }
    EXPECT_EQ(rest, (std::vector<std::string>{"1..", "2..", "3..", "4..", "5.."}));
    EXPECT_FALSE(handOff.askAgain()) << "nothing left";
    EXPECT_EQ(handOff.itemCount(), 0U);
    EXPECT_EQ(handOff.byteCount(), 0U);
    batch = lines(6, 1);
    EXPECT_TRUE(handOff.put(batch)) << "the next burst asks again";
}

TEST(ReaderHandOff, EchoFollowsUntilEveryFrameAndEchoBeforeItIsShown)
{
    ReaderHandOff handOff;
    std::vector<Item> batch{{Kind::Line, "OK"}};
    handOff.put(batch);
    EXPECT_FALSE(handOff.echoMustFollow()) << "lines do not hold echo back";
    batch = {{Kind::Frame, "\xE2" "D0x\xE3"}, {Kind::Echo, "AT"}};
    handOff.put(batch);
    EXPECT_TRUE(handOff.echoMustFollow());

    Item item;
    ASSERT_TRUE(handOff.take(item));
    handOff.handled(item.kind);  // the line
    ASSERT_TRUE(handOff.take(item));
    EXPECT_TRUE(handOff.echoMustFollow()) << "taken is not yet shown";
    handOff.handled(item.kind);  // the frame
    EXPECT_TRUE(handOff.echoMustFollow()) << "the echo item is still to be written";
    ASSERT_TRUE(handOff.take(item));
    EXPECT_EQ(item.kind, Kind::Echo);
    handOff.handled(item.kind);
    EXPECT_FALSE(handOff.echoMustFollow());
}

TEST(ReaderHandOff, AFullHandOffHoldsTheReaderUntilTheWindowTakesHalf)
{
    ReaderHandOff handOff;
    std::vector<Item> batch = lines(0, static_cast<int>(ReaderHandOff::maxItems));
    handOff.put(batch);
    EXPECT_FALSE(handOff.waitForRoom(10ms)) << "full by count";

    std::atomic<bool> released{false};
    std::thread reader([&] {
        while (!handOff.waitForRoom(20ms)) {
        }
        released = true;
    });
    Item item;
    for (std::size_t i = 0; i < ReaderHandOff::maxItems / 2 - 1; ++i) {
        ASSERT_TRUE(handOff.take(item));
    }
    std::this_thread::sleep_for(60ms);
    EXPECT_FALSE(released.load()) << "still above half";
    ASSERT_TRUE(handOff.take(item));
    reader.join();
    EXPECT_TRUE(released.load());

    EXPECT_TRUE(handOff.waitForRoom(1ms));

    // Full by bytes: one line as large as the limit.
    while (handOff.take(item)) {
    }
    batch = lines(0, 1, ReaderHandOff::maxBytes);
    handOff.put(batch);
    EXPECT_EQ(handOff.byteCount(), ReaderHandOff::maxBytes);
    EXPECT_FALSE(handOff.waitForRoom(1ms));
    ASSERT_TRUE(handOff.take(item));
    EXPECT_TRUE(handOff.waitForRoom(1ms));
}

// The bounded hand-off of frames and lines from the reader thread to the
// window thread: one request per burst, lines paced while text keeps coming,
// arrival order, echo kept behind the frames not yet shown, and a full
// hand-off holding the reader until the window thread has taken half.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "session/ReaderHandOff.h"

using namespace std::chrono_literals;
using Item = ReaderHandOff::Item;
using Kind = ReaderHandOff::Kind;
using Clock = ReaderHandOff::Clock;

namespace {

// Each call a pace later than the one before: puts that pacing never holds.
Clock::time_point paceLater()
{
    static Clock::time_point now = Clock::now();
    now += ReaderHandOff::linePace;
    return now;
}

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
    EXPECT_FALSE(handOff.put(batch, paceLater())) << "nothing to take, nothing to ask";
    batch = lines(0, 3);
    EXPECT_TRUE(handOff.put(batch, paceLater())) << "the first burst asks the window thread";
    EXPECT_TRUE(batch.empty());
    batch = lines(3, 2);
    EXPECT_FALSE(handOff.put(batch, paceLater())) << "a request is outstanding";

    handOff.beginTaking();
    Item item;
    ASSERT_TRUE(handOff.take(item));
    EXPECT_EQ(item.bytes, "0..");
    EXPECT_EQ(item.kind, Kind::Line);
    // The window thread stops early with items left and asks once more.
    EXPECT_TRUE(handOff.askAgain());
    EXPECT_FALSE(handOff.askAgain()) << "one request at a time";
    batch = lines(5, 1);
    EXPECT_FALSE(handOff.put(batch, paceLater()));

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
    EXPECT_TRUE(handOff.put(batch, paceLater())) << "the next burst asks again";
}

TEST(ReaderHandOff, LinesWhileTextKeepsComingAreAskedForOncePerPace)
{
    ReaderHandOff handOff;
    const Clock::time_point start = Clock::now();
    std::vector<Item> batch{{Kind::Line, "first"}};
    EXPECT_TRUE(handOff.put(batch, start)) << "a line after a quiet spell is asked for at once";
    handOff.beginTaking();
    Item item;
    ASSERT_TRUE(handOff.take(item));

    batch = {{Kind::Line, "second"}};
    EXPECT_FALSE(handOff.put(batch, start + 10ms)) << "text keeps coming: the line waits";
    batch = {{Kind::Line, "third"}};
    EXPECT_FALSE(handOff.put(batch, start + 20ms));
    ASSERT_TRUE(handOff.dueAt().has_value());
    EXPECT_EQ(*handOff.dueAt(), start + ReaderHandOff::linePace);
    EXPECT_FALSE(handOff.askIfDue(start + ReaderHandOff::linePace - 1ms));
    EXPECT_TRUE(handOff.askIfDue(start + ReaderHandOff::linePace)) << "one request for both lines";
    EXPECT_FALSE(handOff.dueAt().has_value()) << "a request is outstanding";

    handOff.beginTaking();
    std::vector<std::string> taken;
    while (handOff.take(item)) {
        taken.push_back(item.bytes);
    }
    EXPECT_EQ(taken, (std::vector<std::string>{"second", "third"}));
    EXPECT_FALSE(handOff.askIfDue(start + 3 * ReaderHandOff::linePace)) << "nothing waits";

    // The window thread's own tick takes a waiting line unasked, and that
    // counts as a request: the next line waits again.
    const Clock::time_point tick = start + ReaderHandOff::linePace + 10ms;
    EXPECT_FALSE(handOff.claimWaiting(tick)) << "nothing waits";
    batch = {{Kind::Line, "fourth"}};
    EXPECT_FALSE(handOff.put(batch, tick));
    EXPECT_TRUE(handOff.claimWaiting(tick));
    EXPECT_FALSE(handOff.dueAt().has_value());
    handOff.beginTaking();
    ASSERT_TRUE(handOff.take(item));
    EXPECT_EQ(item.bytes, "fourth");
    batch = {{Kind::Line, "fifth"}};
    EXPECT_FALSE(handOff.put(batch, tick + 1ms));

    // Many waiting lines are asked for at once: up to pacedLinesMax still wait.
    std::vector<Item> many;
    for (std::size_t i = 0; i < ReaderHandOff::pacedLinesMax - 1; ++i)
        many.push_back({Kind::Line, "line"});
    EXPECT_FALSE(handOff.put(many, tick + 1ms)) << "exactly pacedLinesMax waiting";
    many = {{Kind::Line, "line"}};
    EXPECT_TRUE(handOff.put(many, tick + 1ms));
    handOff.beginTaking();
    ASSERT_TRUE(handOff.take(item));
    EXPECT_EQ(item.bytes, "fifth");
    std::size_t count = 0;
    while (handOff.take(item))
        count += item.bytes == "line" ? 1 : 0;
    EXPECT_EQ(count, ReaderHandOff::pacedLinesMax);
    batch = {{Kind::Line, "sixth"}};
    EXPECT_FALSE(handOff.put(batch, tick + 2ms));

    // A frame is asked for at once and takes the waiting line with it, in order.
    batch = {{Kind::Frame, "\xE2" "D0x\xE3"}};
    EXPECT_TRUE(handOff.put(batch, tick + 3ms));
    handOff.beginTaking();
    ASSERT_TRUE(handOff.take(item));
    EXPECT_EQ(item.bytes, "sixth");
    ASSERT_TRUE(handOff.take(item));
    EXPECT_EQ(item.kind, Kind::Frame);
}

TEST(ReaderHandOff, EchoFollowsUntilEveryFrameAndEchoBeforeItIsShown)
{
    ReaderHandOff handOff;
    std::vector<Item> batch{{Kind::Line, "OK"}};
    handOff.put(batch, paceLater());
    EXPECT_FALSE(handOff.echoMustFollow()) << "lines do not hold echo back";
    batch = {{Kind::Frame, "\xE2" "D0x\xE3"}, {Kind::Echo, "AT"}};
    handOff.put(batch, paceLater());
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
    handOff.put(batch, paceLater());
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
    handOff.put(batch, paceLater());
    EXPECT_EQ(handOff.byteCount(), ReaderHandOff::maxBytes);
    EXPECT_FALSE(handOff.waitForRoom(1ms));
    ASSERT_TRUE(handOff.take(item));
    EXPECT_TRUE(handOff.waitForRoom(1ms));
}

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "serial/Event.h"

using namespace std::chrono_literals;

namespace {

void waitUntilWaiting(const AutoResetEvent& event, int count)
{
    while (event.waitingCount() < count) {
        std::this_thread::sleep_for(1ms);
    }
}

} // namespace

TEST(AutoResetEvent, ASetWithNobodyWaitingReleasesTheNextWaitOnly)
{
    AutoResetEvent event;
    EXPECT_FALSE(event.waitFor(0ms));
    event.set();
    event.set();
    EXPECT_TRUE(event.waitFor(0ms));
    EXPECT_FALSE(event.waitFor(0ms)) << "each release resets the event";
    event.set();
    event.reset();
    EXPECT_FALSE(event.waitFor(0ms));
}

// The receive thread sets the event after a drain and resets it before its
// next wait; a consumer already waiting must not lose that release.
TEST(AutoResetEvent, AResetAfterASetDoesNotTakeBackAWaitersRelease)
{
    AutoResetEvent event;
    std::atomic<bool> released{false};
    std::thread waiter([&] { released = event.waitFor(5s); });
    waitUntilWaiting(event, 1);
    event.set();
    event.reset();
    waiter.join();
    EXPECT_TRUE(released.load());
    EXPECT_FALSE(event.waitFor(0ms));
}

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/AppPaths.h"
#include "base/LoopTimers.h"
#include "base/PlainEventLoop.h"
#include "base/Ticks.h"

TEST(Ticks, ElapsedHoldsAcrossTheWrap)
{
    EXPECT_EQ(ticksBetween(0xFFFFFFF0U, 16U), 32U);
    EXPECT_EQ(ticksBetween(100U, 350U), 250U);
    const std::uint32_t start = tickCount();
    EXPECT_LT(elapsedTicks(start), 10000U);
}

TEST(AppPaths, DirectoryOfPathKeepsTheLastSlash)
{
    EXPECT_EQ(directoryOfPath("/apps/emu/EmuVOLA"), "/apps/emu/");
    EXPECT_EQ(directoryOfPath("/apps/emu/"), "/apps/emu/");
    EXPECT_EQ(directoryOfPath("EmuVOLA"), "");
    const std::string exeDir = executableDirectory();
    ASSERT_FALSE(exeDir.empty());
    EXPECT_EQ(exeDir.front(), '/');
    EXPECT_EQ(exeDir.back(), '/');
}

TEST(AppPaths, DataDirectoryChoice)
{
    EXPECT_EQ(chooseDataDirectory("/tmp/t", "/opt/emu/", true, "/x", "/home/u"), "/tmp/t/");
    EXPECT_EQ(chooseDataDirectory("", "/opt/emu/", true, "/x", "/home/u"), "/opt/emu/");
    EXPECT_EQ(chooseDataDirectory("", "/usr/bin/", false, "/x/cfg", "/home/u"), "/x/cfg/EmuVOLA/");
    EXPECT_EQ(chooseDataDirectory("", "/usr/bin/", false, "", "/home/u"),
              "/home/u/.config/EmuVOLA/");
    EXPECT_EQ(chooseDataDirectory("", "/usr/bin/", false, "relative", "/home/u"),
              "/home/u/.config/EmuVOLA/");
    EXPECT_EQ(chooseDataDirectory("", "", false, "", ""), "");
}

TEST(AppPaths, AnInstalledCopyIsNeverItsOwnDataDirectory)
{
    // Root can write into any directory, so the marker decides, not the bits.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "emuvola-portable-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(isPortableDirectory(dir.string() + "/"));
    std::ofstream(dir / installedCopyMarker) << "installed";
    EXPECT_FALSE(isPortableDirectory(dir.string() + "/"));
    EXPECT_FALSE(isPortableDirectory(""));
    std::filesystem::remove_all(dir);
}

// An owner's timers and posted calls end with it, on a real loop; cancelAll()
// drops what was posted and not yet run, but later calls go on.
TEST(LoopTimersTest, NothingCallsBackIntoAnOwnerThatIsGone)
{
    PlainEventLoop loop;
    std::vector<std::string> calls;
    {
        LoopTimers gone(loop);
        gone.start(std::chrono::milliseconds(1), [&] { calls.push_back("gone timer"); });
        gone.post([&] { calls.push_back("gone post"); });
    }
    LoopTimers owner(loop);
    owner.post([&] { calls.push_back("dropped"); });
    owner.cancelAll();
    owner.post([&] { calls.push_back("posted"); });
    const EventLoop::TimerId cancelled = owner.start(std::chrono::milliseconds(1), [&] { calls.push_back("x"); });
    owner.cancel(cancelled);
    owner.start(std::chrono::milliseconds(20), [&] {
        calls.push_back("timer");
        loop.quit();
    });
    std::thread poster([&] { owner.post([&] { calls.push_back("from a thread"); }); });
    poster.join();
    loop.run();
    EXPECT_EQ(calls, (std::vector<std::string>{"posted", "from a thread", "timer"}));
}

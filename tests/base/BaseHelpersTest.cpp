#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/AppPaths.h"
#include "base/LoopTimers.h"
#include "base/PlainEventLoop.h"
#include "base/Environment.h"
#include "base/FilePath.h"
#include "base/SystemPaths.h"
#include "base/Ticks.h"

TEST(Ticks, ElapsedHoldsAcrossTheWrap)
{
    EXPECT_EQ(ticksBetween(0xFFFFFFF0U, 16U), 32U);
    EXPECT_EQ(ticksBetween(100U, 350U), 250U);
    const std::uint32_t start = tickCount();
    EXPECT_LT(elapsedTicks(start), 10000U);
}

TEST(AppPaths, DirectoryOfPathKeepsTheLastSeparator)
{
    EXPECT_EQ(directoryOfPath("/apps/emu/EmuVOLA"), "/apps/emu/");
    EXPECT_EQ(directoryOfPath("/apps/emu/"), "/apps/emu/");
    EXPECT_EQ(directoryOfPath("EmuVOLA"), "");
    const std::string exeDir = executableDirectory();
    ASSERT_FALSE(exeDir.empty());
    EXPECT_TRUE(isPathSeparator(exeDir.back()));
    EXPECT_TRUE(pathFromUtf8(exeDir).is_absolute());
    EXPECT_TRUE(std::filesystem::exists(pathFromUtf8(executablePath())));
}

TEST(AppPaths, DataDirectoryChoice)
{
    const std::string sep(1, preferredPathSeparator());
    EXPECT_EQ(chooseDataDirectory("/tmp/t", "/opt/emu/", true, "/x/EmuVOLA/"), "/tmp/t" + sep);
    EXPECT_EQ(chooseDataDirectory("", "/opt/emu/", true, "/x/EmuVOLA/"), "/opt/emu/");
    EXPECT_EQ(chooseDataDirectory("", "/usr/bin/", false, "/x/EmuVOLA/"), "/x/EmuVOLA/");
    EXPECT_EQ(chooseDataDirectory("", "", true, "/x/EmuVOLA/"), "/x/EmuVOLA/");
    EXPECT_EQ(chooseDataDirectory("", "", false, ""), "");
}

TEST(AppPaths, TheUsersDirectoryOfEachSystem)
{
    EXPECT_EQ(xdgUserDataDirectory("/x/cfg", "/home/u"), "/x/cfg/EmuVOLA/");
    EXPECT_EQ(xdgUserDataDirectory("/x/cfg/", "/home/u"), "/x/cfg/EmuVOLA/");
    EXPECT_EQ(xdgUserDataDirectory("", "/home/u"), "/home/u/.config/EmuVOLA/");
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    EXPECT_EQ(xdgUserDataDirectory("relative", "/home/u"), "/home/u/.config/EmuVOLA/");
    EXPECT_EQ(xdgUserDataDirectory("", ""), "");
    EXPECT_EQ(appDataUserDirectory("C:\\Users\\u\\AppData\\Roaming"), "C:\\Users\\u\\AppData\\Roaming\\EmuVOLA\\");
    EXPECT_EQ(appDataUserDirectory("C:\\Roaming\\"), "C:\\Roaming\\EmuVOLA\\");
    EXPECT_EQ(appDataUserDirectory(""), "");
}

TEST(AppPaths, AnInstalledCopyIsNeverItsOwnDataDirectory)
{
    // Root can write into any directory, so the marker decides, not the bits.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "emuvola-portable-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(isPortableDirectory(withSeparator(dir.string())));
    std::ofstream(dir / installedCopyMarker) << "installed";
    EXPECT_FALSE(isPortableDirectory(withSeparator(dir.string())));
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

TEST(AppPaths, TheOverrideComesFirstAndAKoreanNameIsCreatedAsGiven)
{
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "emuvola-data-test";
    std::filesystem::remove_all(root);
    const std::string korean = utf8FromPath(root) + preferredPathSeparator() + "자료 폴더";
    setEnvironmentVariable("EMUVOLA_DATA_DIR", korean);
    EXPECT_EQ(environmentVariable("EMUVOLA_DATA_DIR"), korean);
    const std::string chosen = dataDirectoryFor(executableDirectory(), [](const std::string&) { return true; });
    unsetEnvironmentVariable("EMUVOLA_DATA_DIR");
    EXPECT_EQ(chosen, korean + preferredPathSeparator());
    EXPECT_TRUE(std::filesystem::is_directory(pathFromUtf8(korean)));
    EXPECT_EQ(environmentVariable("EMUVOLA_DATA_DIR"), "");
    std::filesystem::remove_all(root);
}

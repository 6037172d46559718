// The pane log keeps exactly the bytes written to it and reports a failed
// write once, then stays closed.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/Environment.h"
#include "display/PaneLog.h"

namespace {

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PaneLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = std::filesystem::temp_directory_path()
            / ("emu_pane_log_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_"
               + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log");
    }
    void TearDown() override { std::filesystem::remove(m_path); }

    std::filesystem::path m_path;
};

TEST_F(PaneLogTest, TruncatesThenKeepsBytesUnchangedAndVisibleOnceFlushed)
{
    {
        std::ofstream(m_path, std::ios::binary) << "old contents";
    }
    PaneLog log;
    ASSERT_TRUE(log.open(m_path.string()));
    EXPECT_EQ(readFile(m_path), "");
    const std::string bytes("A\r\n\b\t\x01\xC7\xD1\xFF", 9);
    ASSERT_TRUE(log.write(bytes));
    ASSERT_TRUE(log.flush());
    EXPECT_EQ(readFile(m_path), bytes);  // on disk while open
    ASSERT_TRUE(log.write(std::string_view("\0z", 2)));  // the log stores what it is given
    log.close();
    EXPECT_EQ(readFile(m_path), bytes + std::string("\0z", 2));
    EXPECT_FALSE(log.isOpen());
    EXPECT_FALSE(log.write("late"));
}

TEST_F(PaneLogTest, OpenFailureLeavesNoLog)
{
    PaneLog log;
    EXPECT_FALSE(log.open((m_path / "missing-folder" / "x.log").string()));
    EXPECT_FALSE(log.isOpen());
    EXPECT_FALSE(log.takeFailure());  // an open failure is the caller's answer, not a write failure
}

TEST_F(PaneLogTest, LargeWritesKeepTheirOrderAndCloseCompletesTheFile)
{
    PaneLog log;
    ASSERT_TRUE(log.open(m_path.string()));
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        const std::string piece = std::to_string(i) + (i % 7 == 0 ? std::string(100, 'x') : "\r\n");
        ASSERT_TRUE(log.write(piece));
        expected += piece;
    }
    const std::string big(PaneLog::bufferLimit + 17, 'b');  // more than the log collects in memory
    ASSERT_TRUE(log.write(big));
    expected += big;
    ASSERT_TRUE(log.write("tail"));
    expected += "tail";
    log.close();
    EXPECT_FALSE(log.takeFailure());
    EXPECT_EQ(readFile(m_path), expected);
}

TEST(PaneLogFailure, FailedFlushClosesAndReportsOnce)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    PaneLog log;
    ASSERT_TRUE(log.open("/dev/full"));
    EXPECT_FALSE(log.takeFailure());
    EXPECT_TRUE(log.write("x"));  // held in memory until flushed
    EXPECT_FALSE(log.flush());
    EXPECT_FALSE(log.isOpen());
    EXPECT_EQ(log.path(), "/dev/full");
    EXPECT_TRUE(log.takeFailure());
    EXPECT_FALSE(log.takeFailure());
    EXPECT_FALSE(log.write("y"));
    EXPECT_FALSE(log.takeFailure());
}

TEST(PaneLogFailure, FailedWriteOfALargeBatchClosesAndReportsOnce)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    PaneLog log;
    ASSERT_TRUE(log.open("/dev/full"));
    EXPECT_FALSE(log.write(std::string(PaneLog::bufferLimit, 'x')));
    EXPECT_FALSE(log.isOpen());
    EXPECT_TRUE(log.takeFailure());
    EXPECT_FALSE(log.takeFailure());
}

TEST(PaneLogFailure, FailureOnCloseIsReportedOnce)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    PaneLog log;
    ASSERT_TRUE(log.open("/dev/full"));
    ASSERT_TRUE(log.write("unsaved"));
    log.close();
    EXPECT_FALSE(log.isOpen());
    EXPECT_TRUE(log.takeFailure());
    EXPECT_FALSE(log.takeFailure());
}

}  // namespace

namespace {

PaneLog::Clock::time_point g_fakeNow;
PaneLog::Clock::time_point fakeNow()
{
    return g_fakeNow;
}

}  // namespace

// Stamping marks each line with the time its first byte arrived, also when a
// line comes in pieces; off, the log stays the received bytes unchanged.
TEST_F(PaneLogTest, StampsEachLineWithTheTimeItsFirstByteArrived)
{
    setEnvironmentVariable("TZ", "UTC");
    tzset();
    using namespace std::chrono;
    const auto base = PaneLog::Clock::time_point(seconds(1796647500));  // 2026-12-07 12:45:00 UTC
    PaneLog log(&fakeNow);
    ASSERT_TRUE(log.open(m_path.string()));
    g_fakeNow = base;
    log.write("raw\n");
    log.setTimestamps(true);
    g_fakeNow = base + milliseconds(7);
    log.write("first ");
    g_fakeNow = base + seconds(1);
    log.write("line\nsecond\r\nthi");
    g_fakeNow = base + seconds(2);
    log.write("rd\n");
    log.setTimestamps(false);
    log.write("plain\n");
    log.close();
    EXPECT_EQ(readFile(m_path),
              "raw\n"
              "[2026-12-07 12:45:00.007] first line\n"
              "[2026-12-07 12:45:01.000] second\r\n"
              "[2026-12-07 12:45:01.000] third\n"
              "plain\n");
}

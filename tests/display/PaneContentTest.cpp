// A pane's content without its view: the log gets exactly the bytes written
// (CR LF after a message line), the view is told once per quiet spell, and a
// failing log is told once and closed while the screen goes on.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "display/PaneContent.h"

namespace {

const std::string korean = "\xC7\xD1\xB1\xDB KR-V";  // "한글 KR-V" in code page 949

class RecordingListener : public PaneContent::Listener {
public:
    int changes = 0;
    std::vector<std::string> failures;
    void contentChanged() override { ++changes; }
    void logFailed(const std::string& path) override { failures.push_back(path); }
};

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(PaneContentTest, LogReceivesExactBytesAndMessageLinesEndWithCrLf)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "emu_pane_content_log.log";
    PaneContent content;
    ASSERT_TRUE(content.openLog(path.string()));
    // A double-byte character split across two writes reaches the log whole.
    content.putText("a\b\t\x01" + korean.substr(0, 1));
    content.putText(korean.substr(1));
    content.putText(std::string("cut\0off", 7));
    content.putLine("msg");
    content.putLine("");
    content.closeLog();
    EXPECT_FALSE(content.isLogOpen());
    content.putText("after");
    EXPECT_EQ(readFile(path), "a\b\t\x01" + korean + "cut" + "msg\r\n\r\n");
    std::filesystem::remove(path);
}

TEST(PaneContentTest, TheViewIsToldOnceUntilItFindsNothingNew)
{
    PaneContent content;
    RecordingListener listener;
    content.setListener(&listener);
    content.putText("one");
    content.putText("two");
    EXPECT_EQ(listener.changes, 1);
    EXPECT_TRUE(content.takeChanges().any());
    content.putText("three");  // still taking: the view's tick finds it
    EXPECT_EQ(listener.changes, 1);
    EXPECT_TRUE(content.takeChanges().any());
    EXPECT_FALSE(content.takeChanges().any());  // quiet: the view leaves its tick
    content.clearScreen(false);                 // no repaint asked
    EXPECT_EQ(listener.changes, 1);
    content.putText("four");
    EXPECT_EQ(listener.changes, 2);
    content.setListener(nullptr);
    content.putText("five");
    EXPECT_EQ(listener.changes, 2);
}

TEST(PaneContentTest, AFailingLogIsToldOnceAndClosedWhileTheScreenGoesOn)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    PaneContent content;
    RecordingListener listener;
    content.setListener(&listener);
    ASSERT_TRUE(content.openLog("/dev/full"));
    content.putText("one");
    content.takeChanges();  // the view's tick flushes the log, which fails there
    content.putText("two");
    content.takeChanges();
    EXPECT_FALSE(content.isLogOpen());
    EXPECT_EQ(listener.failures, std::vector<std::string>{"/dev/full"});
    std::lock_guard<std::recursive_mutex> guard(content.lock());
    EXPECT_EQ(content.screen().rowText(TextScreen::cursorRow).substr(0, 6), "onetwo");
}

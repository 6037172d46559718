// The developer dump turns "1234.ht" into byte items for pasting into source.

#include "TempDir.h"

#include "launcher/TemplateDump.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

void writeFile(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

} // namespace

TEST(TemplateDump, DumpsAtMost2048BytesSixteenItemsPerLine)
{
    const TempDir dir;
    std::string source;
    for (int i = 0; i < 3000; ++i)
        source.push_back(static_cast<char>(i * 7));
    writeFile(dir.path() / "1234.ht", source);

    std::vector<std::string> messages;
    ASSERT_TRUE(launcher::dumpTemplateSource([&](const std::string& m) { messages.push_back(m); }, dir.dir()));
    EXPECT_TRUE(messages.empty());

    const std::string text = readText(dir.path() / "1234.txt");
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.front(), '\n') << "starts with an empty line";
    EXPECT_NE(text.back(), '\n') << "ends without a line break";
    const auto lines = splitLines(text);
    ASSERT_EQ(lines.size(), 1u + 128u);
    EXPECT_EQ(lines[0], "");
    for (std::size_t line = 1; line < lines.size(); ++line) {
        std::string expected;
        for (std::size_t k = 0; k < 16; ++k) {
            char item[8];
            std::snprintf(item, sizeof item, "0x%02X,", static_cast<unsigned char>(source[(line - 1) * 16 + k]));
            expected += item;
        }
        ASSERT_EQ(lines[line], expected) << "line " << line;
    }
}

TEST(TemplateDump, TellsWhichFileCouldNotBeOpened)
{
    const TempDir dir;
    std::vector<std::string> messages;
    const auto hook = [&](const std::string& m) { messages.push_back(m); };

    EXPECT_FALSE(launcher::dumpTemplateSource(hook, dir.dir()));
    EXPECT_EQ(messages, std::vector<std::string>{"ht파일이 없어요..ㅠ,ㅜ"});
    EXPECT_TRUE(dir.entries().empty());

    messages.clear();
    writeFile(dir.path() / "1234.ht", "abc");
    std::filesystem::create_directory(dir.path() / "1234.txt"); // cannot be created as a file
    EXPECT_FALSE(launcher::dumpTemplateSource(hook, dir.dir()));
    EXPECT_EQ(messages, std::vector<std::string>{"TxT 파일을 열 수 없어요..ㅠ,ㅜ"});
}

#include "directory/IpBook.h"

#include <gtest/gtest.h>

#include "base/ProfileFile.h"
#include "tests/directory/FileTestSupport.h"

namespace {

class IpBookTest : public ::testing::Test {
protected:
    ScratchDir m_dir;
    std::string m_path = m_dir.file("ip.dat");
};

TEST_F(IpBookTest, MissingFileOrSectionGivesAnEmptyBook)
{
    EXPECT_TRUE(readIpBook(m_path).empty());
    writeBytes(m_path, "[IPPAD000]\nNAME=A\n");
    EXPECT_TRUE(readIpBook(m_path).empty());
}

TEST_F(IpBookTest, CountLimitsTheEntriesAndSavingLeavesTheRest)
{
    std::string text = "[GENINFO]\nGENCOUNT=2\n";
    for (int i = 0; i < 5; ++i)
        text += "[IPPAD00" + std::to_string(i) + "]\nNAME=U" + std::to_string(i) +
                "\nADDR=192.0.2." + std::to_string(i) + "\nPORT=" + std::to_string(7200 + i) + "\n";
    writeBytes(m_path, text);
    IpBook book = readIpBook(m_path);
    ASSERT_EQ(book.size(), 2u);
    EXPECT_EQ(book[1].index, 1);
    EXPECT_EQ(book[1].address, "192.0.2.1");
    EXPECT_EQ(book[1].port, 7201);

    book.resize(1);
    book[0].name = "Seoul1";
    ASSERT_TRUE(writeIpBook(m_path, book).ok());
    ProfileFile file(m_path);
    ASSERT_TRUE(file.load());
    EXPECT_EQ(file.getInt("GENINFO", "GENCOUNT", -1), 1);
    EXPECT_EQ(file.getString("IPPAD000", "NAME", ""), "Seoul1");
    for (int i = 1; i < 5; ++i)
        EXPECT_EQ(file.getString(numberedSection("IPPAD", i), "NAME", ""), "U" + std::to_string(i));
}

TEST_F(IpBookTest, MissingSectionOrKeysGiveEmptyEntries)
{
    writeBytes(m_path, "[GENINFO]\nGENCOUNT=2\n[IPPAD000]\nPORT=junk\n");
    const IpBook book = readIpBook(m_path);
    ASSERT_EQ(book.size(), 2u);
    EXPECT_EQ(book[0].name, "");
    EXPECT_EQ(book[0].port, 0);
    EXPECT_EQ(book[1].address, "");
}

TEST_F(IpBookTest, DeletingTheMiddleEntryRenumbersOnSave)
{
    IpBook book = {{0, "A", "192.0.2.1", 1}, {1, "B", "192.0.2.2", 2}, {2, "C", "192.0.2.3", 3}};
    book.erase(book.begin() + 1);
    ASSERT_TRUE(writeIpBook(m_path, book).ok());
    EXPECT_EQ(book[0].index, 0);
    EXPECT_EQ(book[1].index, 1);
    const IpBook back = readIpBook(m_path);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].name, "C");
    EXPECT_EQ(back[1].address, "192.0.2.3");
}

TEST_F(IpBookTest, EntryThousandUsesIppad1000)
{
    IpBook book(1001);
    for (int i = 0; i < 1001; ++i)
        book[i] = {-1, "N" + std::to_string(i), "a", i};
    ASSERT_TRUE(writeIpBook(m_path, book).ok());
    ProfileFile file(m_path);
    ASSERT_TRUE(file.load());
    EXPECT_EQ(file.getInt("IPPAD1000", "PORT", -1), 1000);
    EXPECT_EQ(readIpBook(m_path).size(), 1001u);
}

TEST_F(IpBookTest, HugeCountIsBounded)
{
    writeBytes(m_path, "[GENINFO]\nGENCOUNT=2147483647\n");
    EXPECT_EQ(readIpBook(m_path).size(), 17u);  // one section present plus the margin
}

}  // namespace

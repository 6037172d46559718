#include "directory/PhoneBook.h"


#include <gtest/gtest.h>

#include "base/ProfileFile.h"
#include "base/TextCodec.h"
#include "tests/directory/FileTestSupport.h"

namespace {

PhoneEntry entry(int index, const std::string& name, const std::string& number, bool outside,
                 const std::string& id, const std::string& pwd)
{
    return PhoneEntry{index, name, number, outside, id, pwd};
}

bool sameEntries(const PhoneBook& a, const PhoneBook& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].index != b[i].index || a[i].name != b[i].name || a[i].number != b[i].number ||
            a[i].outsideLine != b[i].outsideLine || a[i].userId != b[i].userId ||
            a[i].password != b[i].password)
            return false;
    }
    return true;
}

class PhoneBookTest : public ::testing::Test {
protected:
    ScratchDir m_dir;
    std::string m_path = m_dir.file("phone.dat");
};

TEST_F(PhoneBookTest, MissingFileGivesAnEmptyBook)
{
    EXPECT_TRUE(readPhoneBook(m_path).empty());
}

TEST_F(PhoneBookTest, CredentialDefaultsOnlyForAbsentKeys)
{
    writeBytes(m_path, "[INFO]\nCOUNT=3\n"
                       "[TEL000]\nNAME=Seoul\nNO=123\n"
                       "[TEL001]\nNAME=Busan\nNO=456\nID=\nPWD=\nUSE=2\n");
    const PhoneBook book = readPhoneBook(m_path);
    ASSERT_EQ(book.size(), 3u);
    EXPECT_EQ(book[0].userId, "admin");
    EXPECT_EQ(book[0].password, "pilvo");
    EXPECT_FALSE(book[0].outsideLine);
    EXPECT_EQ(book[1].userId, "");
    EXPECT_EQ(book[1].password, "");
    EXPECT_TRUE(book[1].outsideLine);
    // TEL002 is missing altogether: a default entry.
    EXPECT_TRUE(sameEntries({book[2]}, {entry(2, "", "", false, "admin", "pilvo")}));
}

TEST_F(PhoneBookTest, WritesKeysInOrderAndUseAsOneOrZero)
{
    writeBytes(m_path, "[INFO]\nCOUNT=1\n[TEL000]\nNAME=A\nNO=1\nUSE=2\n");
    PhoneBook book = readPhoneBook(m_path);
    ASSERT_TRUE(writePhoneBook(m_path, book).ok());
    EXPECT_EQ(readBytes(m_path),
              "[INFO]\nCOUNT=1\n[TEL000]\nNAME=A\nNO=1\nUSE=1\nID=admin\nPWD=pilvo\n");
}

TEST_F(PhoneBookTest, SavingFewerEntriesLeavesStaleSectionsThatAreNotRead)
{
    PhoneBook five;
    for (int i = 0; i < 5; ++i)
        five.push_back(entry(i, "N" + std::to_string(i), std::to_string(i), false, "u", "p"));
    ASSERT_TRUE(writePhoneBook(m_path, five).ok());
    // Indexes with a gap (an entry was deleted in the dialog) are not renumbered by saving.
    PhoneBook three = {five[0], five[2], five[4]};
    ASSERT_TRUE(writePhoneBook(m_path, three).ok());
    EXPECT_EQ(three[1].index, 2);

    ProfileFile file(m_path);
    ASSERT_TRUE(file.load());
    EXPECT_EQ(file.getInt("INFO", "COUNT", -1), 3);
    EXPECT_EQ(file.getString("TEL003", "NAME", ""), "N3");
    EXPECT_EQ(file.getString("TEL004", "NAME", ""), "N4");

    const PhoneBook back = readPhoneBook(m_path);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[1].index, 1);
    EXPECT_EQ(back[1].name, "N2");
    EXPECT_EQ(back[2].name, "N4");
}

TEST_F(PhoneBookTest, TheThousandAndFirstEntryIsTel1000)
{
    PhoneBook book(1001);
    for (int i = 0; i < 1001; ++i)
        book[i] = entry(i, "N" + std::to_string(i), "", i % 2 == 0, "u", "p");
    ASSERT_TRUE(writePhoneBook(m_path, book).ok());
    ProfileFile file(m_path);
    ASSERT_TRUE(file.load());
    EXPECT_EQ(file.getString("TEL1000", "NAME", ""), "N1000");
    EXPECT_TRUE(sameEntries(readPhoneBook(m_path), book));
}

TEST_F(PhoneBookTest, LongValuesComeBackCutTo259Bytes)
{
    PhoneBook book = {entry(0, std::string(300, 'n'), std::string(259, '1'), false, "u", "p")};
    ASSERT_TRUE(writePhoneBook(m_path, book).ok());
    const PhoneBook back = readPhoneBook(m_path);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].name, std::string(259, 'n'));
    EXPECT_EQ(back[0].number, std::string(259, '1'));
}

TEST_F(PhoneBookTest, BadCountsAreBoundedOrEmpty)
{
    writeBytes(m_path, "[INFO]\nCOUNT=2000000000\n[TEL000]\nNAME=A\n");
    const PhoneBook huge = readPhoneBook(m_path);
    // Two sections in the file plus the margin of 16 default entries.
    ASSERT_EQ(huge.size(), 18u);
    EXPECT_EQ(huge[0].name, "A");

    writeBytes(m_path, "[INFO]\nCOUNT=5\n[TEL000]\nNAME=A\n");
    EXPECT_EQ(readPhoneBook(m_path).size(), 5u);  // a little beyond: default entries
    writeBytes(m_path, "[INFO]\nCOUNT=-3\n[TEL000]\nNAME=A\n");
    EXPECT_TRUE(readPhoneBook(m_path).empty());
    writeBytes(m_path, "[INFO]\nCOUNT=many\n[TEL000]\nNAME=A\n");
    EXPECT_TRUE(readPhoneBook(m_path).empty());
}

TEST_F(PhoneBookTest, PasswordsWithOuterBlanksSurviveASave)
{
    PhoneBook book = {entry(0, " Seoul ", "02 ", true, " id", "pw  ")};
    ASSERT_TRUE(writePhoneBook(m_path, book).ok());
    EXPECT_TRUE(sameEntries(readPhoneBook(m_path), book));
}

// A book written on Windows: code page 949 names, CR LF line ends, lower- and
// mixed-case names, a comment, an unknown key, a quoted value and a stale section.
class WindowsPhoneBookTest : public PhoneBookTest {
protected:
    void SetUp() override
    {
        m_original = readBytes(std::string(EMU_FIXTURE_DIR) + "/phone_windows.dat");
        ASSERT_FALSE(m_original.empty());
        writeBytes(m_path, m_original);
    }
    std::string m_original;
};

TEST_F(WindowsPhoneBookTest, Loads)
{
    const PhoneBook book = readPhoneBook(m_path);
    ASSERT_EQ(book.size(), 3u);
    EXPECT_EQ(cp949ToUtf8(book[0].name), "서울 본사");
    EXPECT_EQ(book[0].number, "02-123-4567");
    EXPECT_TRUE(book[0].outsideLine);
    EXPECT_EQ(cp949ToUtf8(book[0].userId), "관리자");
    EXPECT_EQ(cp949ToUtf8(book[1].name), "부산 똠방");
    EXPECT_EQ(book[1].number, "051-987-6543");
    EXPECT_EQ(book[1].userId, "");
    EXPECT_EQ(book[1].password, "");
    EXPECT_EQ(cp949ToUtf8(book[2].name), "  대전 ");
    EXPECT_EQ(book[2].password, "secret");
}

TEST_F(WindowsPhoneBookTest, RoundTripsByteForByte)
{
    PhoneBook book = readPhoneBook(m_path);
    ASSERT_TRUE(writePhoneBook(m_path, book).ok());
    EXPECT_EQ(readBytes(m_path), m_original);
    EXPECT_TRUE(sameEntries(readPhoneBook(m_path), book));
}

TEST_F(WindowsPhoneBookTest, ChangingOneEntryChangesOnlyItsLine)
{
    PhoneBook book = readPhoneBook(m_path);
    book[1].name = utf8ToCp949("부산 지사");
    ASSERT_TRUE(writePhoneBook(m_path, book).ok());
    std::string expected = m_original;
    const std::string oldLine = "Name=" + utf8ToCp949("부산 똠방") + "\r\n";
    ASSERT_NE(expected.find(oldLine), std::string::npos);
    expected.replace(expected.find(oldLine), oldLine.size(),
                     "Name=" + utf8ToCp949("부산 지사") + "\r\n");
    EXPECT_EQ(readBytes(m_path), expected);
}

}  // namespace

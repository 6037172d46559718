#include "base/ProfileFile.h"

#include <cerrno>
#include <climits>
#include <random>

#include <gtest/gtest.h>

#include "tests/base/ProfileFileFixture.h"

// --- reading ---------------------------------------------------------------

TEST_F(ProfileFileTest, MissingFileIsEmptyAndGivesDefaults)
{
    ProfileFile file(m_path);
    EXPECT_TRUE(file.load());
    EXPECT_EQ(file.getString("A", "B", "dflt"), "dflt");
    EXPECT_EQ(file.getInt("A", "B", 17), 17);
    EXPECT_EQ(file.sectionCount(), 0u);
}

TEST_F(ProfileFileTest, NamesIgnoreAsciiCaseAndFirstMatchWins)
{
    ProfileFile file = loaded("[Info]\nCount=1\ncount=2\n[INFO]\nOther=3\n");
    EXPECT_EQ(file.getInt("INFO", "COUNT", -1), 1);
    EXPECT_EQ(file.getInt("info", "cOuNt", -1), 1);
    // The second [INFO] is never searched.
    EXPECT_FALSE(file.hasKey("INFO", "OTHER"));
}

TEST_F(ProfileFileTest, KoreanNamesAreNotCaseFolded)
{
    // U+B620 is 8C 63; 8C 43 is a different character that an ASCII fold of the
    // second byte would confuse with it.
    ProfileFile file = loaded("[\x8c\x63]\nK=1\n");
    EXPECT_TRUE(file.hasKey("\x8c\x63", "k"));
    EXPECT_FALSE(file.hasKey("\x8c\x43", "K"));
}

TEST_F(ProfileFileTest, ValuesLoseOuterBlanksAndOnePairOfQuotes)
{
    ProfileFile file = loaded("[S]\n"
                              "plain = \t value with  inner \t\n"
                              "quoted=  \" kept blanks \"  \n"
                              "twice=\"\"x\"\"\n"
                              "half=\"open\n"
                              "lone=\"\n"
                              "empty=\n");
    EXPECT_EQ(file.getString("S", "plain", "?"), "value with  inner");
    EXPECT_EQ(file.getString("S", "quoted", "?"), " kept blanks ");
    EXPECT_EQ(file.getString("S", "twice", "?"), "\"x\"");
    EXPECT_EQ(file.getString("S", "half", "?"), "\"open");
    EXPECT_EQ(file.getString("S", "lone", "?"), "\"");
    EXPECT_EQ(file.getString("S", "empty", "?"), "");
}

TEST_F(ProfileFileTest, ValuesAreCutTo259Bytes)
{
    const std::string longValue(300, 'x');
    ProfileFile file = loaded("[S]\nK=" + longValue + "\n");
    EXPECT_EQ(file.getString("S", "K", ""), std::string(259, 'x'));
}

TEST_F(ProfileFileTest, IntegersTakeTheLeadingNumberAndClamp)
{
    ProfileFile file = loaded("[S]\nneg=  -42abc\nplus=+7\nword=abc\nempty=\n"
                              "huge=99999999999999999999\ntiny=-99999999999999999999\n"
                              "max=2147483647\nmin=-2147483648\nquoted=\"12\"\n");
    EXPECT_EQ(file.getInt("S", "neg", 5), -42);
    EXPECT_EQ(file.getInt("S", "plus", 5), 7);
    EXPECT_EQ(file.getInt("S", "word", 5), 0);
    EXPECT_EQ(file.getInt("S", "empty", 5), 0);
    EXPECT_EQ(file.getInt("S", "missing", 5), 5);
    EXPECT_EQ(file.getInt("S", "huge", 5), INT_MAX);
    EXPECT_EQ(file.getInt("S", "tiny", 5), INT_MIN);
    EXPECT_EQ(file.getInt("S", "max", 5), INT_MAX);
    EXPECT_EQ(file.getInt("S", "min", 5), INT_MIN);
    EXPECT_EQ(file.getInt("S", "quoted", 5), 12);
}

TEST_F(ProfileFileTest, OddLinesAreNotKeys)
{
    ProfileFile file = loaded("K=before any section\n"
                              "[S]\n"
                              ";K=commented out\n"
                              "no equals sign\n"
                              "=no name\n"
                              "[Broken header\n"
                              "K=in broken\n");
    EXPECT_FALSE(file.hasKey("S", "K"));
    EXPECT_FALSE(file.hasKey("S", ";K"));
    // A header without ']' names the section with the rest of its line.
    EXPECT_EQ(file.getString("Broken header", "K", ""), "in broken");
}

// --- writing ---------------------------------------------------------------

TEST_F(ProfileFileTest, ReplacingAValueKeepsEveryOtherByte)
{
    const std::string before = "; comment = not a key\r\n"
                               "junk line \x01\x02\r\n"
                               "[A]\r\n"
                               "  Key = old value\r\n"
                               "Other=1\r\n"
                               "\r\n"
                               "[B]\r\n"
                               "Key=b\r\n";
    ProfileFile file = loaded(before);
    EXPECT_TRUE(file.setString("a", "KEY", "new"));
    EXPECT_TRUE(file.save());
    std::string expected = before;
    expected.replace(expected.find("  Key = old value"), 17, "  Key =new");
    EXPECT_EQ(readBytes(m_path), expected);
}

TEST_F(ProfileFileTest, UnchangedValueLeavesTheLineAlone)
{
    const std::string before = "[A]\nName =  \"x\"  \n";
    ProfileFile file = loaded(before);
    file.setString("A", "NAME", "x");
    ASSERT_TRUE(file.save());
    EXPECT_EQ(readBytes(m_path), before);
}

TEST_F(ProfileFileTest, NewKeyGoesAfterTheSectionsLastKey)
{
    ProfileFile file = loaded("[A]\nK1=1\n; trailing comment\n\n[B]\nK=2\n");
    file.setString("A", "K2", "2");
    file.setString("A", "K3", "3");
    file.setString("EMPTY_NOT_PRESENT", "K", "4");
    ASSERT_TRUE(file.save());
    EXPECT_EQ(readBytes(m_path), "[A]\nK1=1\nK2=2\nK3=3\n; trailing comment\n\n[B]\nK=2\n"
                                 "[EMPTY_NOT_PRESENT]\nK=4\n");
}

TEST_F(ProfileFileTest, KeyIntoHeaderOnlySectionFollowsTheHeader)
{
    ProfileFile file = loaded("[A]\n\n[B]\n");
    file.setString("A", "K", "v");
    ASSERT_TRUE(file.save());
    EXPECT_EQ(readBytes(m_path), "[A]\nK=v\n\n[B]\n");
}

TEST_F(ProfileFileTest, NewLinesFollowTheFilesLineEnds)
{
    ProfileFile lf = loaded("[A]\nK=1");  // LF file, no line end after the last line
    lf.setString("A", "J", "2");
    lf.setString("B", "K", "3");
    ASSERT_TRUE(lf.save());
    EXPECT_EQ(readBytes(m_path), "[A]\nK=1\nJ=2\n[B]\nK=3\n");

    const std::string fresh = m_dir.file("fresh.dat");
    ProfileFile created(fresh);
    ASSERT_TRUE(created.load());
    created.setString("A", "K", "1");
    ASSERT_TRUE(created.save());
    EXPECT_EQ(readBytes(fresh), "[A]\r\nK=1\r\n");
}

TEST_F(ProfileFileTest, ValuesThatAReadWouldChangeRoundTrip)
{
    const std::vector<std::string> values = {" lead", "trail ", "\tboth\t", "\"quoted\"",
                                             "\" mixed \"", "", " ", "a\"b", "\xbc\xad\xbf\xef"};
    ProfileFile file(m_path);
    ASSERT_TRUE(file.load());
    for (std::size_t i = 0; i < values.size(); ++i)
        file.setString("S", "K" + std::to_string(i), values[i]);
    ASSERT_TRUE(file.save());
    ProfileFile back = reloaded();
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(back.getString("S", "K" + std::to_string(i), "?"), values[i]) << i;
}

TEST_F(ProfileFileTest, ValueCannotAddLinesOrSections)
{
    ProfileFile file(m_path);
    ASSERT_TRUE(file.load());
    file.setString("S", "K", "x\r\n[EVIL]\nK2=1");
    file.setString("S", "Z", std::string("ab\0cd", 5));
    ASSERT_TRUE(file.save());
    ProfileFile back = reloaded();
    EXPECT_EQ(back.sectionCount(), 1u);
    EXPECT_FALSE(back.hasSection("EVIL"));
    EXPECT_EQ(back.getString("S", "K", ""), "x  [EVIL] K2=1");
    EXPECT_EQ(back.getString("S", "Z", ""), "ab");
}

TEST_F(ProfileFileTest, NamesThatCannotBeStoredAreRefused)
{
    ProfileFile file(m_path);
    EXPECT_FALSE(file.setString("", "K", "v"));
    EXPECT_FALSE(file.setString("A]B", "K", "v"));
    EXPECT_FALSE(file.setString("A\nB", "K", "v"));
    EXPECT_FALSE(file.setString(" A", "K", "v"));
    EXPECT_FALSE(file.setString("A", "K=J", "v"));
    EXPECT_FALSE(file.setString("A", "", "v"));
    EXPECT_EQ(file.sectionCount(), 0u);
}

// --- saving ----------------------------------------------------------------

TEST_F(ProfileFileTest, FailureAtAnyStepOfSaveKeepsTheOldFile)
{
    const std::string before = "[A]\r\nK=old\r\n";
    enum Step { WriteHalfway, Fsync, Rename };
    const int reasons[] = {ENOSPC, EIO, EXDEV};
    for (Step step : {WriteHalfway, Fsync, Rename}) {
        ProfileFile file = loaded(before);
        file.setString("A", "K", std::string(100000, 'n'));
        const FileWriteIo system = systemFileWriteIo();
        ProfileFile::Io io{
            [&system, step, calls = 0](NativeFile f, const char* data, std::size_t size, std::size_t& put) mutable {
                // The first call writes part of the data, the next fails as a full disk.
                if (step != WriteHalfway)
                    return system.write(f, data, size, put);
                if (calls++ == 0)
                    return system.write(f, data, size / 2, put);
                return ENOSPC;
            },
            [&system, step](NativeFile f) { return step == Fsync ? EIO : system.flush(f); },
            [&system, step](const std::string& from, const std::string& to) {
                return step == Rename ? EXDEV : system.rename(from, to);
            },
        };
        file.setIoForTesting(io);
        EXPECT_FALSE(file.save()) << step;
        EXPECT_EQ(file.fault().kind, FileFault::Kind::System) << step;
        EXPECT_EQ(file.fault().error, reasons[step]) << step;
        EXPECT_EQ(readBytes(m_path), before) << step;
        EXPECT_EQ(filesInDir(), 1u) << "temporary file left behind at step " << step;
    }
}

TEST_F(ProfileFileTest, OversizedFilesAreRefused)
{
    const std::string fullValue = "[A]\nK=" + std::string(maxDataFileBytes - 6, 'x');
    ASSERT_EQ(fullValue.size(), maxDataFileBytes);
    EXPECT_EQ(loaded(fullValue).getString("A", "K", "").size(), ProfileFile::maxValueLength)
        << "a file of exactly the limit is read";

    // 16 MiB of bytes, or a quarter of a million line ends, whose lines would cost
    // far more memory than their bytes.
    const std::string tooLong(maxDataFileBytes + 1, 'x');
    for (const std::string& bytes : {tooLong, std::string(300000, '\n')}) {
        writeBytes(m_path, bytes);
        ProfileFile file(m_path);
        EXPECT_FALSE(file.load());
        EXPECT_EQ(file.fault().kind, FileFault::Kind::TooLarge);
        EXPECT_EQ(file.sectionCount(), 0u);
    }
}

TEST_F(ProfileFileTest, BinaryGarbageLoadsAndSurvivesASave)
{
    std::mt19937 random(1234);
    std::string garbage(1 << 20, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    garbage += "\n";
    ProfileFile file = loaded(garbage);
    file.getString("A", "K", "");
    file.getInt("\x01", "\x02", 0);
    file.setString("ZZ_NEW", "K", "v");
    ASSERT_TRUE(file.save());
    const std::string after = readBytes(m_path);
    // Whatever sections the garbage held, the new section lands after it and the
    // garbage bytes stay as they were.
    EXPECT_EQ(after.substr(0, garbage.size()), garbage);
    EXPECT_EQ(reloaded().getString("ZZ_NEW", "K", ""), "v");
}

TEST_F(ProfileFileTest, NulBytesAreOrdinaryBytes)
{
    const std::string before("[A]\nK=a\0b\nJ\0=1\n", 16);
    ProfileFile file = loaded(before);
    EXPECT_EQ(file.getString("A", "K", ""), std::string("a\0b", 3));
    EXPECT_EQ(file.getString("A", std::string("J\0", 2), ""), "1");
    ASSERT_TRUE(file.save());
    EXPECT_EQ(readBytes(m_path), before);
}

TEST_F(ProfileFileTest, TenMegabyteLineWithoutLineEnd)
{
    const std::string hugeLine = "K=" + std::string(10 * 1024 * 1024, 'x');
    ProfileFile file = loaded("[A]\n" + hugeLine);
    EXPECT_EQ(file.getString("A", "K", "").size(), ProfileFile::maxValueLength);
    file.setString("A", "J", "1");
    ASSERT_TRUE(file.save());
    EXPECT_EQ(readBytes(m_path), "[A]\n" + hugeLine + "\nJ=1\n");
}

TEST(EntryCount, CapsHostileCountsAtTheSectionsPresentPlusAMargin)
{
    ProfileFile empty("/nonexistent/for/test");
    EXPECT_EQ(readableEntryCount(empty, -5), 0);
    EXPECT_EQ(readableEntryCount(empty, 0), 0);
    EXPECT_EQ(readableEntryCount(empty, 16), 16);
    EXPECT_EQ(readableEntryCount(empty, 2000000000), 16);
    EXPECT_EQ(numberedSection("TEL", 7), "TEL007");
    EXPECT_EQ(numberedSection("IPPAD", 1000), "IPPAD1000");
}

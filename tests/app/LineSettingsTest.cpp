#include "app/LineSettingsFile.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/ProfileFile.h"
#include "tests/directory/FileTestSupport.h"

namespace {

class LineSettingsTest : public ::testing::Test {
protected:
    ScratchDir m_dir;
    std::string m_path = m_dir.file("pinfo.dat");
};

TEST_F(LineSettingsTest, MissingFileGivesDefaults)
{
    PortTable table = portTableFromNames({"COM3", "COM4"});
    DialSettings dial{"x", "y", "z"};
    readLineSettings(m_path, table, dial);
    EXPECT_EQ(portSettingsText(table, "COM3"), "57600-N-8-1");
    EXPECT_EQ(portSettingsText(table, "COM4"), "57600-N-8-1");
    EXPECT_EQ(dial.dialCommand, "ATDT");
    EXPECT_EQ(dial.outsideLineNumber, "9");
    EXPECT_EQ(dial.initCommand, "ATZ");
}

TEST_F(LineSettingsTest, ReadsStoredValuesByExactPortName)
{
    writeBytes(m_path, "[COM3]\r\nBAUD=1152\r\nPARITY=2\r\nDATABIT=7\r\nSTOPBIT=2\r\n"
                       "[callsect]\r\ncallcmd=ATD\r\nOUTLINE=0\r\n");
    PortTable table = portTableFromNames({"COM3"});
    DialSettings dial;
    readLineSettings(m_path, table, dial);
    EXPECT_EQ(table[0].baudHundreds, 1152);
    EXPECT_EQ(portSettingsText(table, "COM3"), "115200-E-7-2");
    EXPECT_EQ(findPortSettings(table, "com3"), nullptr);
    EXPECT_EQ(portSettingsText(table, "com3"), "");
    EXPECT_EQ(portSettingsText(table, "COM9"), "");
    // An empty name is not a port, even though empty slots carry one.
    EXPECT_EQ(findPortSettings(table, ""), nullptr);
    EXPECT_EQ(dial.dialCommand, "ATD");
    EXPECT_EQ(dial.outsideLineNumber, "0");
    EXPECT_EQ(dial.initCommand, "ATZ");
}

TEST_F(LineSettingsTest, HostileValuesLoadAsRead)
{
    writeBytes(m_path, "[A]\nBAUD=0\nPARITY=7\nDATABIT=9\nSTOPBIT=-1\n"
                       "[B]\nBAUD=abc\nPARITY=\nDATABIT=99999999999999\n");
    PortTable table = portTableFromNames({"A", "B"});
    DialSettings dial;
    readLineSettings(m_path, table, dial);
    // Impossible fields show as "?"; possible ones as stored.
    EXPECT_EQ(portSettingsText(table, "A"), "?-?-?-?");
    table[0] = PortSettings{"A", 3, 5, 2, 1};
    EXPECT_EQ(portSettingsText(table, "A"), "300-O-5-2");
    EXPECT_EQ(table[1].baudHundreds, 0);
    EXPECT_EQ(table[1].parity, 0);
    EXPECT_EQ(table[1].dataBits, 2147483647);
    EXPECT_EQ(table[1].stopBits, 1);
}

TEST_F(LineSettingsTest, SavingTwoPortsWritesExactlyTwoSections)
{
    writeBytes(m_path, "[OLDPORT]\nBAUD=96\n");
    PortTable table = portTableFromNames({"COM3", "COM4"});
    table[1].baudHundreds = 1152;
    table[1].parity = 1;
    ASSERT_TRUE(writePortSettings(m_path, table).ok());
    EXPECT_EQ(readBytes(m_path), "[OLDPORT]\nBAUD=96\n"
                                 "[COM3]\nBAUD=576\nPARITY=0\nDATABIT=8\nSTOPBIT=1\n"
                                 "[COM4]\nBAUD=1152\nPARITY=1\nDATABIT=8\nSTOPBIT=1\n");

    PortTable back = portTableFromNames({"COM4"});
    DialSettings dial;
    readLineSettings(m_path, back, dial);
    EXPECT_EQ(portSettingsText(back, "COM4"), "115200-O-8-1");
}

TEST_F(LineSettingsTest, DialSettingsWithOuterBlanksSurviveSaveAndReload)
{
    const DialSettings saved{"ATD", " 9,", "AT&F "};
    ASSERT_TRUE(writeDialSettings(m_path, saved).ok());
    ProfileFile file(m_path);
    ASSERT_TRUE(file.load());
    EXPECT_EQ(file.getString("CALLSECT", "CALLCMD", ""), "ATD");
    PortTable table;
    DialSettings dial;
    readLineSettings(m_path, table, dial);
    EXPECT_EQ(dial.dialCommand, "ATD");
    EXPECT_EQ(dial.outsideLineNumber, " 9,");
    EXPECT_EQ(dial.initCommand, "AT&F ");
}

// The pane log options live in a section of their own: a file written by the
// older program reads as "off" and keeps every byte of what it had.
TEST_F(LineSettingsTest, PaneLogOptionsAddTheirOwnSectionAndKeepTheRest)
{
    const std::string older = "[COM3]\r\nBAUD=96\r\n; note\r\n[CALLSECT]\r\nCALLCMD=ATD\r\n";
    writeBytes(m_path, older);
    EXPECT_EQ(readPaneLogOptions(m_path).timestamps, (std::array<bool, 2>{false, false}));
    PaneLogOptions options;
    options.timestamps[1] = true;
    ASSERT_TRUE(writePaneLogOptions(m_path, options).ok());
    EXPECT_EQ(readPaneLogOptions(m_path).timestamps, (std::array<bool, 2>{false, true}));
    const std::string saved = readBytes(m_path);
    EXPECT_EQ(saved.substr(0, older.size()), older);
    PortTable table = portTableFromNames({"COM3"});
    DialSettings dial;
    readLineSettings(m_path, table, dial);
    EXPECT_EQ(table[0].baudHundreds, 96);
    EXPECT_EQ(dial.dialCommand, "ATD");
}

// Redial settings: off in a file the older program wrote, kept with the dial
// settings, and an impossible stored value reads as its default.
TEST_F(LineSettingsTest, RedialSettingsHaveASectionOfTheirOwn)
{
    const std::string older = "[CALLSECT]\r\nCALLCMD=ATD\r\nOUTLINE=0\r\nATZ=ATZ\r\n";
    writeBytes(m_path, older);
    PortTable table;
    DialSettings dial;
    readLineSettings(m_path, table, dial);
    EXPECT_EQ(std::tie(dial.redialCount, dial.redialIntervalSeconds, dial.reconnect), std::make_tuple(0, 30, false));
    dial.redialCount = 5;
    dial.redialIntervalSeconds = 3600;
    dial.reconnect = true;
    ASSERT_TRUE(writeDialSettings(m_path, dial).ok());
    DialSettings again;
    readLineSettings(m_path, table, again);
    EXPECT_EQ(std::tie(again.redialCount, again.redialIntervalSeconds, again.reconnect), std::make_tuple(5, 3600, true));
    EXPECT_EQ(again.dialCommand, "ATD");

    writeBytes(m_path, older + "[REDIAL]\r\nCOUNT=100\r\nINTERVAL=0\r\nRECONNECT=2\r\n");
    DialSettings odd;
    readLineSettings(m_path, table, odd);
    EXPECT_EQ(std::tie(odd.redialCount, odd.redialIntervalSeconds, odd.reconnect), std::make_tuple(0, 30, false));
}

}  // namespace

#include "base/PortRecords.h"

#include <gtest/gtest.h>

TEST(PortTable, FillsSlotsInOrderWithNonEmptyNames)
{
    const PortTable table = portTableFromNames({"", "COM3", "", "COM1", "COM7", "COM8", "COM9"});
    EXPECT_EQ(table[0].portName, "COM3");
    EXPECT_EQ(table[1].portName, "COM1");
    EXPECT_EQ(table[2].portName, "COM7");
    EXPECT_EQ(table[3].portName, "COM8");
    EXPECT_TRUE(portTableFromNames({"X"})[1].portName.empty());
}

TEST(PortNameLabel, ShowsControlCharactersAndPathPiecesAsQuestionMarks)
{
    EXPECT_EQ(portNameLabel("COM3"), "COM3");
    EXPECT_EQ(portNameLabel("A\x1b[2J/../B\\C\x7f\n"), "A?[2J?..?B?C??");
    // Cut at 24 bytes without splitting a Korean character, and marked with an ellipsis.
    const std::string korean = "\xbc\xad\xbf\xef";  // two characters, four bytes
    EXPECT_EQ(portNameLabel(std::string(23, 'x') + korean), std::string(23, 'x') + "\xa1\xa6");
    EXPECT_EQ(portNameLabel(std::string(20, 'x') + korean), std::string(20, 'x') + korean);
}

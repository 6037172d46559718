#include <gtest/gtest.h>

#include "serial/rfc2217/ComPortCommands.h"

using comport::Command;

namespace {

const Command* find(const std::vector<Command>& commands, std::uint8_t code)
{
    for (const auto& command : commands) {
        if (command.code == code) {
            return &command;
        }
    }
    return nullptr;
}

}  // namespace

TEST(LineSettingCommands, MapsSettingsInRecommendedOrder)
{
    LineSettings settings;
    settings.baudRate = 57600;
    settings.dataBits = 7;
    settings.parityCode = 2;
    settings.stopBitsCode = 2;
    const auto commands = comport::lineSettingCommands(settings);
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_EQ(commands[0].code, comport::SetBaudRate);
    EXPECT_EQ(commands[0].value, (telnet::Bytes{0x00, 0x00, 0xE1, 0x00}));
    EXPECT_EQ(commands[1].value, telnet::Bytes{7});
    EXPECT_EQ(commands[2].code, comport::SetParity);
    EXPECT_EQ(commands[2].value, telnet::Bytes{3});
    EXPECT_EQ(commands[3].value, telnet::Bytes{2});
    EXPECT_EQ(commands[4].code, comport::SetControl);
    EXPECT_EQ(commands[4].value, telnet::Bytes{2});
}

TEST(LineSettingCommands, ParityAndStopCodes)
{
    EXPECT_EQ(comport::parityValue(0), 1);
    EXPECT_EQ(comport::parityValue(1), 2);
    EXPECT_EQ(comport::parityValue(2), 3);
    EXPECT_FALSE(comport::parityValue(3).has_value());
    EXPECT_EQ(comport::stopSizeValue(1), 1);
    EXPECT_EQ(comport::stopSizeValue(2), 2);
    EXPECT_EQ(comport::stopSizeValue(0), 3);
    EXPECT_EQ(comport::stopSizeValue(15), 3);

    LineSettings keepParity;
    keepParity.baudRate = 28800;
    keepParity.parityCode = 7;
    const auto commands = comport::lineSettingCommands(keepParity);
    EXPECT_EQ(find(commands, comport::SetParity), nullptr);
    EXPECT_EQ(comport::readBigEndian32(find(commands, comport::SetBaudRate)->value), 28800u);
    // Flow control is XON/XOFF only: never DTR/RTS or suspend/resume codes.
    for (const auto& command : commands) {
        EXPECT_NE(command.code, comport::FlowControlSuspend);
        EXPECT_NE(command.code, comport::FlowControlResume);
        if (command.code == comport::SetControl) {
            EXPECT_EQ(command.value, telnet::Bytes{comport::ControlXonXoff});
        }
    }
}

#include <gtest/gtest.h>

#include <limits>

#include "serial/DeviceTarget.h"
#include "serial/SerialDevice.h"
#include "serial/SerialPort.h"

TEST(WriteTimeLimit, MultiplierIsWholeMillisecondsPerByteBelow28800)
{
    EXPECT_EQ(writeMultiplierMs(2400), 8);
    EXPECT_EQ(writeMultiplierMs(9600), 2);
    EXPECT_EQ(writeMultiplierMs(19200), 1);
    EXPECT_EQ(writeMultiplierMs(28800), 0);
    EXPECT_EQ(writeMultiplierMs(38400), 0);
    EXPECT_EQ(writeMultiplierMs(0), 0) << "no division by zero";

    EXPECT_EQ(writeTimeLimitMs(9600, 10), 20);
    EXPECT_EQ(writeTimeLimitMs(2400, 3), 24);
}

TEST(WriteTimeLimit, FastLinesStillGetAFiniteLimit)
{
    EXPECT_EQ(writeTimeLimitMs(38400, 100), 2100);
    EXPECT_EQ(writeTimeLimitMs(28800, 0), 2000);
    EXPECT_EQ(writeTimeLimitMs(300, std::numeric_limits<std::size_t>::max()),
              std::numeric_limits<int>::max());
}

TEST(PortNames, NamesThatCouldLeaveDevAreRefused)
{
    EXPECT_FALSE(isAcceptablePortName(""));
    EXPECT_FALSE(isAcceptablePortName("../x"));
    EXPECT_FALSE(isAcceptablePortName("a/b"));
    EXPECT_FALSE(isAcceptablePortName(".."));
    EXPECT_TRUE(isAcceptablePortName("ttyUSB0"));
    EXPECT_TRUE(isAcceptablePortName("COM3"));

    EXPECT_EQ(createSerialDevice(""), nullptr);
    EXPECT_EQ(createSerialDevice("../x"), nullptr);
    EXPECT_EQ(createSerialDevice("a/b"), nullptr);
}

TEST(PortNames, NetworkTargetsAreSplitIntoHostAndPort)
{
    std::string host;
    int port = 0;
    ASSERT_TRUE(parseRfc2217Target("rfc2217://127.0.0.1:7000", host, port));
    EXPECT_EQ(host, "127.0.0.1");
    EXPECT_EQ(port, 7000);
    ASSERT_TRUE(parseRfc2217Target("rfc2217://[::1]:2217", host, port));
    EXPECT_EQ(host, "::1");
    EXPECT_EQ(port, 2217);
    EXPECT_FALSE(parseRfc2217Target("rfc2217://host", host, port));
    EXPECT_FALSE(parseRfc2217Target("rfc2217://host:0", host, port));
    EXPECT_FALSE(parseRfc2217Target("rfc2217://host:65536", host, port));
    EXPECT_FALSE(parseRfc2217Target("rfc2217://:7000", host, port));
    EXPECT_FALSE(parseRfc2217Target("rfc2217://host:70x", host, port));
    EXPECT_FALSE(parseRfc2217Target("/dev/pts/4", host, port));
}

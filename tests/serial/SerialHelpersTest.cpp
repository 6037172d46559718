#include <gtest/gtest.h>

#include <limits>

#include "serial/ArrivalRate.h"
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
    // A backslash would reach out of \\.\ on Windows: \\.\..\x, \\.\C:\x.
    EXPECT_FALSE(isAcceptablePortName("..\\x"));
    EXPECT_FALSE(isAcceptablePortName("C:\\x"));
    EXPECT_FALSE(isAcceptablePortName(std::string("COM1\0x", 6)));
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

TEST(ArrivalRate, TellsATrickleFromAFlood)
{
    using namespace std::chrono_literals;
    ArrivalRate rate;
    const ArrivalRate::Clock::time_point start{};
    EXPECT_TRUE(rate.slow()) << "nothing read yet";

    // 115200 bit/s: about 1,150 bytes a tenth of a second.
    for (int tick = 1; tick <= 10; ++tick)
        rate.count(230, start + tick * 20ms);
    EXPECT_TRUE(rate.slow());

    // A flood: fast once more than a slow line's window has come.
    rate.count(4096, start + 205ms);
    EXPECT_TRUE(rate.slow());
    rate.count(4096, start + 210ms);
    EXPECT_FALSE(rate.slow()) << "without waiting for the window to end";
    rate.count(16384, start + 300ms);
    EXPECT_FALSE(rate.slow());

    // Quiet again: the next window brings the pauses back.
    rate.count(10, start + 2s);
    EXPECT_TRUE(rate.slow());

    // A trickle in the window right after a flood is slow again: the flood's
    // bytes count for their own window only.
    rate.count(8192, start + 2010ms);
    rate.count(16384, start + 2100ms);
    ASSERT_FALSE(rate.slow());
    for (int tick = 1; tick <= 5; ++tick)
        rate.count(230, start + 2100ms + tick * 20ms);
    EXPECT_TRUE(rate.slow());
}

#include <gtest/gtest.h>

#include "serial/posix/TermiosSettings.h"

namespace {

LineSettings settings(std::uint32_t baud, int dataBits, int stopBitsCode, int parityCode)
{
    LineSettings result;
    result.baudRate = baud;
    result.dataBits = dataBits;
    result.stopBitsCode = stopBitsCode;
    result.parityCode = parityCode;
    return result;
}

// A cooked terminal as a device might report it.
termios cookedTerminal(tcflag_t parity)
{
    termios tio {};
    tio.c_iflag = ICRNL | IXANY | BRKINT;
    tio.c_oflag = OPOST | ONLCR;
    tio.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    tio.c_cflag = CS8 | CREAD | parity;
    return tio;
}

} // namespace

TEST(TermiosSettings, ByteSizeParityAndStopBits)
{
    termios tio = cookedTerminal(0);
    EXPECT_TRUE(applyLineSettings(tio, settings(9600, 7, 2, 2)));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB));
    EXPECT_NE(tio.c_cflag & CSTOPB, 0U);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));

    tio = cookedTerminal(PARENB);
    applyLineSettings(tio, settings(2400, 5, 1, 1));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS5));
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB | PARODD));
    EXPECT_EQ(tio.c_cflag & CSTOPB, 0U);

    tio = cookedTerminal(PARENB | PARODD);
    applyLineSettings(tio, settings(2400, 6, 0, 0));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS6));
    EXPECT_EQ(tio.c_cflag & PARENB, 0U);
    EXPECT_NE(tio.c_cflag & CSTOPB, 0U) << "stop-bits code 0 is one and a half";
}

TEST(TermiosSettings, AnUnknownParityCodeKeepsTheDevicesParity)
{
    termios odd = cookedTerminal(PARENB | PARODD);
    applyLineSettings(odd, settings(9600, 8, 1, 3));
    EXPECT_EQ(odd.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB | PARODD));

    termios none = cookedTerminal(0);
    applyLineSettings(none, settings(9600, 8, 1, 7));
    EXPECT_EQ(none.c_cflag & (PARENB | PARODD), 0U);
}

TEST(TermiosSettings, RawModeWithXonXoffBothWays)
{
    termios tio = cookedTerminal(0);
    applyLineSettings(tio, settings(19200, 8, 1, 0));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0U);
    EXPECT_EQ(tio.c_oflag & OPOST, 0U);
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXANY | BRKINT), 0U);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(tio.c_cc[VSTART], 17);
    EXPECT_EQ(tio.c_cc[VSTOP], 19);
    EXPECT_NE(tio.c_cflag & CLOCAL, 0U) << "a carrier drop must not hang up the descriptor";
    EXPECT_NE(tio.c_cflag & HUPCL, 0U);
}

TEST(TermiosSettings, SpeedsWithoutAConstantAreLeftToTermios2)
{
    termios tio = cookedTerminal(0);
    EXPECT_FALSE(applyLineSettings(tio, settings(28800, 8, 1, 0)));
    EXPECT_TRUE(applyLineSettings(tio, settings(38400, 8, 1, 0)));
}

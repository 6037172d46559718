// The DCB and time-outs a COM port is given, from the line settings.

#include <gtest/gtest.h>

#include "serial/win32/CommSettings.h"

namespace {

LineSettings lineSettings(std::uint32_t baud, int dataBits, int stopBitsCode, int parityCode)
{
    LineSettings settings;
    settings.portName = "COM3";
    settings.baudRate = baud;
    settings.dataBits = dataBits;
    settings.stopBitsCode = stopBitsCode;
    settings.parityCode = parityCode;
    return settings;
}

// A DCB as a driver might report it: flags the settings do not name are set
// so that a change to them shows.
DCB reported()
{
    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = 1200;
    dcb.ByteSize = 8;
    dcb.Parity = MARKPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.fOutxCtsFlow = TRUE;
    dcb.fAbortOnError = TRUE;
    return dcb;
}

}  // namespace

TEST(CommSettings, LineSettingsWithXonXoffBothWays)
{
    DCB dcb = reported();
    applyLineSettings(dcb, lineSettings(57600, 7, 2, 2));
    EXPECT_EQ(dcb.BaudRate, 57600U);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.Parity, EVENPARITY);
    EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
    EXPECT_TRUE(dcb.fOutX);
    EXPECT_TRUE(dcb.fInX);
    EXPECT_EQ(dcb.XonChar, 17);
    EXPECT_EQ(dcb.XoffChar, 19);
    EXPECT_EQ(dcb.XonLim, 100);
    EXPECT_EQ(dcb.XoffLim, 100);
    EXPECT_FALSE(dcb.fAbortOnError) << "a line error would fail every read until cleared";
    // What the settings do not name stays as the device had it.
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
    EXPECT_TRUE(dcb.fOutxCtsFlow);
    EXPECT_TRUE(dcb.fBinary);
}

TEST(CommSettings, ParityAndStopBitCodes)
{
    const std::pair<int, BYTE> parities[] = {{0, NOPARITY}, {1, ODDPARITY}, {2, EVENPARITY}, {3, MARKPARITY}};
    for (const auto& [code, parity] : parities) {
        DCB dcb = reported();
        applyLineSettings(dcb, lineSettings(9600, 8, 1, code));
        EXPECT_EQ(dcb.Parity, parity) << "code " << code << ": 3 keeps the device's parity";
    }
    const std::pair<int, BYTE> stops[] = {{1, ONESTOPBIT}, {2, TWOSTOPBITS}, {0, ONE5STOPBITS}, {3, ONE5STOPBITS}};
    for (const auto& [code, stop] : stops) {
        DCB dcb = reported();
        applyLineSettings(dcb, lineSettings(9600, 5, code, 0));
        EXPECT_EQ(dcb.StopBits, stop) << "code " << code;
    }
}

TEST(CommSettings, ShortReadsAndTheWrittenWriteLimits)
{
    const COMMTIMEOUTS slow = commTimeouts(9600);
    EXPECT_EQ(slow.ReadIntervalTimeout, MAXDWORD);
    EXPECT_EQ(slow.ReadTotalTimeoutMultiplier, MAXDWORD);
    EXPECT_EQ(slow.ReadTotalTimeoutConstant, 200U);
    EXPECT_EQ(slow.WriteTotalTimeoutMultiplier, 2U);
    EXPECT_EQ(slow.WriteTotalTimeoutConstant, 0U);
    EXPECT_EQ(commTimeouts(2400).WriteTotalTimeoutMultiplier, 8U);
    EXPECT_EQ(commTimeouts(19200).WriteTotalTimeoutMultiplier, 1U);
    // No time per byte from 28800 bit/s on: a held line still ends a write.
    const COMMTIMEOUTS fast = commTimeouts(38400);
    EXPECT_EQ(fast.WriteTotalTimeoutMultiplier, 0U);
    EXPECT_EQ(fast.WriteTotalTimeoutConstant, 2000U);
}

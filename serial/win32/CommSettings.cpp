#include "serial/win32/CommSettings.h"

#include "serial/SerialPort.h"

void applyLineSettings(DCB& dcb, const LineSettings& settings)
{
    dcb.BaudRate = settings.baudRate;
    dcb.ByteSize = static_cast<BYTE>(settings.dataBits);
    switch (settings.parityCode) {
    case 0: dcb.Parity = NOPARITY; break;
    case 1: dcb.Parity = ODDPARITY; break;
    case 2: dcb.Parity = EVENPARITY; break;
    default: break;
    }
    switch (settings.stopBitsCode) {
    case 1: dcb.StopBits = ONESTOPBIT; break;
    case 2: dcb.StopBits = TWOSTOPBITS; break;
    default: dcb.StopBits = ONE5STOPBITS; break;
    }
    dcb.fOutX = TRUE;
    dcb.fInX = TRUE;
    dcb.XonLim = xonLimitBytes;
    dcb.XoffLim = xoffLimitBytes;
    dcb.XonChar = 17;
    dcb.XoffChar = 19;
    // A framing or parity error must not stop every read until it is
    // cleared: a failing read then always means a device in trouble.
    dcb.fAbortOnError = FALSE;
}

COMMTIMEOUTS commTimeouts(std::uint32_t baudRate)
{
    COMMTIMEOUTS timeouts {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = receiveWaitMs;
    const int multiplier = writeMultiplierMs(baudRate);
    timeouts.WriteTotalTimeoutMultiplier = static_cast<DWORD>(multiplier);
    timeouts.WriteTotalTimeoutConstant = multiplier == 0 ? fastLineWriteLimitMs : 0;
    return timeouts;
}

#pragma once
// The Win32 form of the line settings and of the port's time-outs, apart from
// the device so they can be checked on their own.

#include <cstdint>

#include <windows.h>

#include "serial/SerialDevice.h"

// The longest a receive read waits for a first byte: it bounds how long a
// close waits for the receive thread, and how stale the carrier can be.
inline constexpr DWORD receiveWaitMs = 200;
// A write on a line at 28800 bit/s and above, where no time per byte applies,
// gives up after this long, as SerialPort's write limit does.
inline constexpr DWORD fastLineWriteLimitMs = 2000;
// Driver queue sizes asked for at open.
inline constexpr DWORD driverQueueBytes = 4096;
// XON is sent when the driver's input queue has drained to this many bytes,
// XOFF when only this much room is left.
inline constexpr WORD xonLimitBytes = 100;
inline constexpr WORD xoffLimitBytes = 100;

// Changes `dcb`, as read from the device, to the settings: speed, byte size,
// parity (codes other than 0..2 keep the device's), stop bits (code 1 one, 2
// two, any other one and a half) and XON/XOFF both ways with DC1/DC3 and the
// limits above; line errors do not abort transfers. Every other field (DTR and
// RTS among them) stays as the device reported it.
void applyLineSettings(DCB& dcb, const LineSettings& settings);

// Reads: a byte that is there comes back at once, the first of an empty line
// as soon as it arrives, and an empty read returns after receiveWaitMs
// ({MAXDWORD, MAXDWORD, receiveWaitMs}). Writes: 19200 / baud ms per byte
// (integer division), or fastLineWriteLimitMs in all where that is 0.
COMMTIMEOUTS commTimeouts(std::uint32_t baudRate);

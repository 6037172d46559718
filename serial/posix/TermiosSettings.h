#pragma once
// The termios form of the line settings, apart from the device so it can be
// checked on its own (a pseudo-terminal forces 8 data bits and no parity).

#include <termios.h>

#include "serial/SerialDevice.h"

// Changes `tio`, as read from the device, to raw mode with the given speed,
// byte size, parity, stop bits and XON/XOFF both ways (DC1/DC3). Parity codes
// other than 0..2 keep the parity `tio` had. Returns false when the speed has
// no B constant and must be set through setTerminalSpeed afterwards.
bool applyLineSettings(termios& tio, const LineSettings& settings);

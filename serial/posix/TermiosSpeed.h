#pragma once
// Line speed through the Linux termios2 interface, which takes any speed
// (28800 bit/s has no B constant). Kept apart because <asm/termbits.h> cannot
// share a source file with glibc's <termios.h>.

#include <cstdint>

// Sets input and output speed of the terminal on fd. False on failure.
bool setTerminalSpeed(int fd, std::uint32_t baudRate);
// Reads back the input and output speed. False on failure.
bool readTerminalSpeed(int fd, std::uint32_t& inputBaud, std::uint32_t& outputBaud);

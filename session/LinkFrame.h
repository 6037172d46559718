#pragma once
// Link frames as sent to the KR-V: 0xE2, class letter, sub code, payload, 0xE3.
// The payload travels unchanged: no length, no escaping, no checksum.

#include <string>
#include <string_view>

#include "session/RequestKind.h"

inline constexpr unsigned char frameStartByte = 0xE2;
inline constexpr unsigned char frameEndByte = 0xE3;

// The class letter sent for a request kind: 'A' for the login and account
// kinds, 'C' for the port commands, 'D' for data and for any value outside 0..6.
char frameClass(RequestKind kind);

// The sub code sent for a request kind: the fixed letter of the account kinds
// ('I', 'P', 'D', 'W'; the port is ignored), otherwise the port digit '0' + port,
// which is '/' for noPort.
char frameSubCode(RequestKind kind, int port);

// The whole frame, payload.size() + 4 bytes; an empty string for an empty
// payload, because an empty payload is never sent.
std::string buildFrame(RequestKind kind, int port, std::string_view payload);

#pragma once
// Port names and port map targets as the device factory reads them.

#include <string>

// A port name may be opened only when it is not empty and holds no '/', '\',
// ".." or NUL, so it cannot reach outside /dev or the \\.\ device space.
bool isAcceptablePortName(const std::string& portName);
// Splits "rfc2217://HOST:PORT" (HOST may be a bracketed IPv6 address) into its
// host and TCP port 1..65535. False for anything else.
bool parseRfc2217Target(const std::string& target, std::string& host, int& port);

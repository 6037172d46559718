#pragma once
// A COM port exported over TCP with the Telnet Com Port Control protocol.

#include <memory>
#include <string>

#include "serial/SerialDevice.h"

// The device for a network serial port at host:port; it connects when opened.
std::unique_ptr<SerialDevice> createRfc2217Device(const std::string& host, int port);

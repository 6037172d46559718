#pragma once
// The machine's own serial devices, one platform file per system: where the
// system lists them, how that list reads, and the device a local port name
// opens.

#include <memory>
#include <string>
#include <vector>

#include "serial/SerialDevice.h"
#include "serial/SerialMap.h"

// /sys/class/tty on Linux; the registry key
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM on Windows.
std::string systemLocalDeviceList();

// Appends the devices listed at `where`; false when the list cannot be read.
// Linux: a tty class directory, in natural name order (ttyS2 before ttyS10);
// entries without a "device" link are not serial ports, and ttyS ports whose
// UART type is unknown (type 0 or unreadable) are skipped.
// Windows: a registry key "HKEY_LOCAL_MACHINE\..." or "HKEY_CURRENT_USER\...",
// in the order the registry gives its values; a value whose data cannot be read
// gives an empty port name.
bool readLocalDevices(const std::string& where, std::vector<SerialMapEntry>& entries);

// The device behind a local port name (ttyUSB0, COM3) or a port map target
// that names one (/dev/ttyUSB0, \\.\COM10); nullptr for a name that must not
// be opened. On Windows every name opens as \\.\NAME, so COM10 and above open
// too, and a COM port that no list shows (Wine's ports, an adapter plugged in
// after start) opens by its name.
std::unique_ptr<SerialDevice> createLocalDevice(const std::string& target);

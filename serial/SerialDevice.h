#pragma once
// The seam between SerialPort and whatever carries the bytes: a local tty, a
// network serial port, or a scripted fake in tests. One implementation per
// platform file; SerialPort holds the line discipline that is the same for all.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Line settings as SerialPort::open receives them.
struct LineSettings {
    std::string portName;
    std::uint32_t baudRate = 0;  // bits per second, > 0
    int dataBits = 8;            // 5..8
    int stopBitsCode = 1;        // 1 one, 2 two, any other value one and a half
    int parityCode = 0;          // 0 none, 1 odd, 2 even, any other keeps the device's parity
};

enum class DeviceWait {
    Readable,  // input is waiting
    Woken,     // wake() was called
    Gone,      // the device vanished (hang-up, unplugged adapter, dropped connection)
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens the device exclusively and applies the settings with XON/XOFF flow
    // control both ways (DC1/DC3). False on any failure, leaving it closed.
    virtual bool open(const LineSettings& settings) = 0;
    virtual void close() = 0;
    // Discards whatever is queued in both directions.
    virtual void purge() = 0;
    // Blocks until input is waiting, wake() is called or the device is gone.
    // Called by the receive thread only.
    virtual DeviceWait waitForInput() = 0;
    // Releases a thread blocked in waitForInput; safe from any thread, and a
    // wake that comes before the wait still releases it.
    virtual void wake() = 0;
    // Reads what is already buffered without waiting; 0 when nothing is there.
    virtual std::size_t readAvailable(std::uint8_t* buffer, std::size_t capacity) = 0;
    // Writes the bytes and waits until they have left the device, at most
    // timeoutMs; 0 takes what fits now without waiting. Returns the number of
    // bytes written.
    virtual std::size_t write(const std::uint8_t* data, std::size_t length, int timeoutMs) = 0;
    // True when every byte written has left (nothing waits in the driver's
    // output queue). A device that cannot tell says true.
    virtual bool outputLeft() { return true; }
    // Receive-line-signal-detect; false when it cannot be read.
    virtual bool carrierDetected() = 0;
};

// Creates the device for a port name: a network serial port or a local device
// found through the serial device map, or a local device under /dev. Returns
// nullptr for a name that must not be opened (empty, holding '/' or "..").
std::unique_ptr<SerialDevice> createSerialDevice(const std::string& portName);

// Tests stand in for real devices here; an empty function restores the default.
using SerialDeviceFactory = std::function<std::unique_ptr<SerialDevice>(const std::string& portName)>;
void setSerialDeviceFactory(SerialDeviceFactory factory);

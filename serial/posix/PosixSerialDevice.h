#pragma once
// A local serial device (tty) driven through termios: exclusive open, raw line
// settings with XON/XOFF both ways, poll() on the device plus an eventfd that
// wake() signals, and hang-up detection for an adapter that is unplugged.

#include <atomic>
#include <string>

#include "serial/SerialDevice.h"

class PosixSerialDevice : public SerialDevice {
public:
    explicit PosixSerialDevice(std::string path);
    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    bool open(const LineSettings& settings) override;
    void close() override;
    void purge() override;
    DeviceWait waitForInput() override;
    void wake() override;
    std::size_t readAvailable(std::uint8_t* buffer, std::size_t capacity) override;
    std::size_t write(const std::uint8_t* data, std::size_t length, int timeoutMs) override;
    bool outputLeft() override;
    bool carrierDetected() override;

    const std::string& path() const { return m_path; }

private:
    bool applySettings(const LineSettings& settings);
    // Waits for the output queue to empty until the deadline (steady clock ms).
    void drainOutput(long long deadlineMs);

    std::string m_path;
    int m_fd = -1;
    int m_wakeFd = -1;
    bool m_holdsLock = false;  // this descriptor took the lock and TIOCEXCL
    std::atomic<bool> m_gone{false};
};

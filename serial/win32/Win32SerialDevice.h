#pragma once
// A local COM port through the Win32 communications calls: opened exclusively
// as \\.\COMn (and claimed by name, so our openers keep out of each other's
// way where the system does not), line settings in its DCB with XON/XOFF both
// ways.
//
// The receive thread reads with short synchronous reads (serial/win32/
// CommSettings.h): a read returns at once with what has arrived, or after
// receiveWaitMs on an empty line. This works on Windows and under Wine alike
// (Wine's COM ports fail WaitCommEvent and never finish an overlapped read of
// an empty line), and it bounds how long a wake or a close waits. The carrier
// is read by the same thread after each read, so a caller on the window thread
// never waits behind a pending read; a failing status read means no carrier.
//
// Writes go through a queue of driverQueueBytes that a writer thread of the
// device hands to WriteFile, so a write takes what fits without waiting, as a
// tty's output buffer does; each WriteFile keeps the port's write time-outs.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include <windows.h>

#include "serial/SerialDevice.h"

class Win32SerialDevice : public SerialDevice {
public:
    // `path` is the device path, e.g. \\.\COM3.
    explicit Win32SerialDevice(std::string path);
    ~Win32SerialDevice() override;
    Win32SerialDevice(const Win32SerialDevice&) = delete;
    Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

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
    void writeLoop();
    void readCarrier();
    // After a failed read or write: true when the device has gone away
    // (unplugged adapter) rather than reporting a line error, which it clears.
    bool deviceGoneAfter(DWORD error);
    void releaseClaim();

    std::string m_path;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    HANDLE m_claim = nullptr;  // the named claim that keeps our other openers out
    std::atomic<bool> m_wakeRequested{false};
    std::atomic<bool> m_gone{false};
    std::atomic<bool> m_carrier{false};

    // Receive thread only: bytes a wait has read and readAvailable hands on.
    std::uint8_t m_received[4096] = {};
    std::size_t m_receivedStart = 0;
    std::size_t m_receivedEnd = 0;
    int m_failedReads = 0;
    int m_hastyReads = 0;
    ULONGLONG m_carrierReadAt = 0;

    std::mutex m_outputMutex;
    std::condition_variable m_outputChanged;
    std::deque<std::uint8_t> m_output;  // taken, not yet written
    bool m_writing = false;             // WriteFile in progress
    bool m_stopWriter = false;
    std::uint64_t m_purges = 0;         // a purge drops what a write in progress took
    std::thread m_writer;
};

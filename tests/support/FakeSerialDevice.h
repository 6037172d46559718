#pragma once
// A scripted stand-in for a serial device, for tests of anything that owns a
// SerialPort (connection windows, reader threads).
//
// Typical use:
//
//     FakeDeviceInstaller fakes;                 // every createSerialDevice now gives fakes
//     auto modem = fakes.device("COM1");         // the fake behind port "COM1"
//     SerialPort port;
//     ASSERT_TRUE(port.open(settingsFor("COM1")));
//     modem->feed("\r\nCONNECT 9600\r\n");       // bytes "received" from the line
//     modem->setCarrier(true);
//     ASSERT_TRUE(modem->waitForWritten("ATD", 2s));  // what the code under test wrote
//     modem->vanish();                            // like pulling out a USB adapter
//
// The object the test holds (FakeSerialDevice) lives as long as the installer
// or the test's shared_ptr; the SerialPort gets a thin handle to it, so the same
// fake serves every open and close of its port name.
//
// Behaviour, chosen to be like a real device:
// - open fails while failOpen(true) is in force, while the fake has vanished,
//   or while another handle holds it open (exclusive open).
// - Bytes fed while the fake is closed are dropped; SerialPort::open purges
//   after opening, which also drops bytes fed before open returned. Feed after
//   open.
// - write() records the bytes (see written()) and returns their count; after
//   vanish() or while holdOutput(true) is in force it writes nothing and
//   returns 0.
// - carrier is what setCarrier() last said (false at first), and false while
//   closed or vanished.
// - vanish() makes the waiting receive thread see DeviceWait::Gone; reads,
//   writes and opens then fail until reappear().
// All members are safe to call from any thread.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "serial/SerialDevice.h"

class FakeSerialDevice : public SerialDevice {
public:
    explicit FakeSerialDevice(std::string portName = {});
    ~FakeSerialDevice() override;

    // --- scripting from the test ---------------------------------------------
    // Queues bytes as received from the line and wakes the receive thread.
    void feed(std::string_view bytes);
    void feed(const std::uint8_t* bytes, std::size_t length);
    void setCarrier(bool present);
    // The device disappears: the receive thread's wait returns Gone.
    void vanish();
    // Undoes vanish(); the fake can be opened again.
    void reappear();
    void failOpen(bool fail);
    // While held the line takes no bytes, as under XOFF or a peer that reads
    // nothing: a write waits out its timeout and writes nothing.
    void holdOutput(bool held);
    // Every byte written since creation (or the last clearWritten()).
    std::string written() const;
    void clearWritten();
    // Waits until the written bytes satisfy the predicate; true when they did
    // within the timeout.
    bool waitForWritten(const std::function<bool(const std::string&)>& predicate,
                        std::chrono::milliseconds timeout) const;
    // Waits until at least `size` bytes have been written.
    bool waitForWrittenSize(std::size_t size, std::chrono::milliseconds timeout) const;
    // Waits until the written bytes contain `text`.
    bool waitForWritten(std::string_view text, std::chrono::milliseconds timeout) const;

    // --- what the code under test did ----------------------------------------
    const std::string& portName() const { return m_portName; }
    bool isOpen() const;
    int openCount() const;      // successful opens so far
    int purgeCount() const;
    LineSettings lastSettings() const;  // of the last successful open
    int lastWriteTimeoutMs() const;     // timeout passed to the last write
    std::size_t pendingInput() const;   // fed bytes not yet read

    // --- SerialDevice ----------------------------------------------------------
    bool open(const LineSettings& settings) override;
    void close() override;
    void purge() override;
    DeviceWait waitForInput() override;
    void wake() override;
    std::size_t readAvailable(std::uint8_t* buffer, std::size_t capacity) override;
    std::size_t write(const std::uint8_t* data, std::size_t length, int timeoutMs) override;
    bool carrierDetected() override;

private:
    const std::string m_portName;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_inputChanged;
    mutable std::condition_variable m_writtenChanged;
    std::deque<std::uint8_t> m_input;
    std::string m_written;
    LineSettings m_lastSettings;
    bool m_open = false;
    bool m_carrier = false;
    bool m_vanished = false;
    bool m_failOpen = false;
    bool m_outputHeld = false;
    bool m_wakePending = false;
    int m_openCount = 0;
    int m_purgeCount = 0;
    int m_lastWriteTimeoutMs = -1;
};

// While it lives, createSerialDevice hands out fakes by port name (one
// FakeSerialDevice per name, made on first use); the destructor restores the
// real devices. Create it before the code under test opens a port, and let it
// outlive every SerialPort that uses its fakes. One installer at a time.
class FakeDeviceInstaller {
public:
    FakeDeviceInstaller();
    ~FakeDeviceInstaller();
    FakeDeviceInstaller(const FakeDeviceInstaller&) = delete;
    FakeDeviceInstaller& operator=(const FakeDeviceInstaller&) = delete;

    // The fake behind a port name; made now if the name was not used yet.
    std::shared_ptr<FakeSerialDevice> device(const std::string& portName);
    // How often createSerialDevice was asked for this name.
    int createdCount(const std::string& portName) const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

#pragma once
// One local COM port: opens the device exclusively with the line settings,
// runs a receive thread that moves every received byte, in arrival order, into
// the receive queue (one queue-lock taking per chunk read) and then sets the
// data-ready event, and writes with a time limit derived from the line speed.
//
// Threads: open, close, reset, write and carrierDetected belong to the owning
// window's thread; takeByte, takeBytes and dataReady to one consumer (the
// reader thread); readAvailable to the receive thread only.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

#include "serial/ByteQueue.h"
#include "serial/Event.h"
#include "serial/SerialDevice.h"

// Whole milliseconds per byte allowed for a write: 19200 / baud (integer
// division); 0 at 28800 bit/s and above, where no per-byte limit applies.
int writeMultiplierMs(std::uint32_t baudRate);
// Time limit of one write of `length` bytes: length × multiplier, or, where the
// multiplier is 0, a generous 2000 ms + 1 ms per byte so a write never blocks
// the window thread forever.
int writeTimeLimitMs(std::uint32_t baudRate, std::size_t length);

class SerialPort {
public:
    static constexpr std::size_t readChunkSize = 2048;

    SerialPort();
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Marks the port as not open and without a device; an open port is closed
    // first so no receive thread is left behind.
    void reset();
    // Opens the device named by settings.portName, applies the settings and
    // starts the receive thread. False, with the device released, on any
    // failure, including a baud rate of 0 or data bits outside 5..8. Opening
    // an open port closes it first.
    bool open(const LineSettings& settings);
    // Stops the receive thread, purges and closes the device and empties the
    // receive queue. Does nothing on a port that is not open.
    void close();

    // Writes and waits until the bytes have left, within writeTimeLimitMs.
    // Returns the bytes written; 0 when the port is not open or the line is lost.
    std::size_t write(const std::uint8_t* data, std::size_t length);
    std::size_t write(std::string_view bytes);
    // What the device holds, without waiting; receive thread only.
    std::size_t readAvailable(std::uint8_t* buffer, std::size_t capacity);
    // Carrier (receive-line-signal-detect); false when not open, when the
    // line is lost or when the device cannot tell.
    bool carrierDetected();
    // Takes the oldest received byte; false (byte unchanged) when none is queued.
    bool takeByte(std::uint8_t& byte);
    // Takes up to `max` of the oldest received bytes into `out`, in order;
    // returns how many (0 when none is queued).
    std::size_t takeBytes(std::uint8_t* out, std::size_t max);

    // Set once per drain after its last byte is queued, and once when the line
    // is lost, so a waiting consumer wakes. The receive thread resets it before
    // each wait for input, so a set that no consumer was waiting for can be
    // cleared again: consumers take bytes until takeByte fails, then wait with
    // a timeout, and take again after the timeout too.
    AutoResetEvent& dataReady() { return m_dataReady; }

    bool isOpen() const { return m_open.load(); }
    // True once the device vanished while open (unplugged adapter, dropped
    // network port). The receive thread has stopped; close() still applies.
    bool lineLost() const { return m_lineLost.load(); }
    // Bytes received and not yet taken.
    std::int32_t queuedCount() const { return m_queue.count(); }

private:
    void receiveLoop(SerialDevice* device);

    std::mutex m_deviceMutex;  // guards m_device against open/close while writing
    std::unique_ptr<SerialDevice> m_device;
    std::uint32_t m_baudRate = 0;
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_lineLost{false};
    std::thread m_receiveThread;
    AutoResetEvent m_dataReady;
    ByteQueue m_queue;
};

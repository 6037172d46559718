#pragma once
// One local COM port: opens the device exclusively with the line settings,
// runs a receive thread that moves every received byte, in arrival order, into
// the receive queue (one queue-lock taking per chunk read) and then sets the
// data-ready event, and writes with a time limit derived from the line speed.
//
// The receive queue is bounded: once it holds receiveHighMark bytes the
// receive thread stops reading the device until the consumer has taken it
// down to receiveLowMark. Meanwhile the bytes wait in the device (the tty's
// input buffer, which sends XOFF when it fills, or the TCP window of a network
// port), so the sender is held back and nothing is lost.
//
// Writes never wait for the line: they are queued (WriteQueue) and handed to the
// device as it takes them, each within the time limit of its line speed.
//
// Threads: open, close, reset, carrierDetected and everything about output
// belong to the owning window's thread; takeByte, takeBytes and dataReady to
// one consumer (the reader thread); readAvailable to the receive thread only.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

#include "serial/ByteQueue.h"
#include "serial/Event.h"
#include "serial/SerialDevice.h"
#include "serial/WriteQueue.h"

// Whole milliseconds per byte allowed for a write: 19200 / baud (integer
// division); 0 at 28800 bit/s and above, where no per-byte limit applies.
int writeMultiplierMs(std::uint32_t baudRate);
// Time limit of one write of `length` bytes: length × multiplier, or, where the
// multiplier is 0, a generous 2000 ms + 1 ms per byte so a held line does not
// keep a write for ever.
int writeTimeLimitMs(std::uint32_t baudRate, std::size_t length);

class SerialPort {
public:
    static constexpr std::size_t readChunkSize = 2048;
    // Bytes queued at which the receive thread stops reading the device...
    static constexpr std::int32_t receiveHighMark = 1 << 20;
    // ...and the level the consumer must take the queue down to before it
    // reads again. The gap keeps the thread from stopping for every chunk.
    static constexpr std::int32_t receiveLowMark = 256 * 1024;
    // A drain reads at most this much before the consumer is woken, so a
    // sender that never pauses still gets its bytes taken as they come.
    static constexpr std::size_t maxDrainBytes = 32 * 1024;
    // After a read shorter than a chunk from a slow line (ArrivalRate) the
    // receive thread lets this long pass before it waits for the device again.
    static constexpr std::chrono::milliseconds trickleGather{20};

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

    // Queues the bytes behind those already queued and hands the line what it
    // takes now, without waiting. Returns the count queued: the length, or 0
    // when the port is not open, the line is lost or the queue has no room for
    // all of them (WriteQueue::capacity).
    std::size_t write(const std::uint8_t* data, std::size_t length);
    std::size_t write(std::string_view bytes);
    // Hands the line what it takes now; the owner calls it while output is
    // pending. Bytes a write's time limit leaves behind are dropped.
    void pumpOutput();
    bool outputPending() const { return !m_output.empty(); }
    // Marks: true once everything queued up to outputMark() has left the port
    // or been dropped.
    std::uint64_t outputMark() const { return m_output.mark(); }
    bool outputSent(std::uint64_t mark) const { return m_output.finished(mark); }
    // How long the oldest pending write has waited for the line.
    std::int64_t outputHeldMs() const;
    // Drops everything still queued (a hang-up, a closing window).
    void dropOutput() { m_output.clear(); }
    // True once when a stalled line made bytes be dropped (WriteQueue).
    bool takeOutputDropNotice() { return m_output.takeDropNotice(); }
    // What the device holds, without waiting; receive thread only.
    std::size_t readAvailable(std::uint8_t* buffer, std::size_t capacity);
    // Carrier (receive-line-signal-detect); false when not open, when the
    // line is lost or when the device cannot tell.
    bool carrierDetected();
    // Takes the oldest received byte; false (byte unchanged) when none is queued.
    bool takeByte(std::uint8_t& byte);
    // Takes up to `max` of the oldest received bytes into `out`, in order;
    // returns how many (0 when none is queued). Either take releases a
    // receive thread that waits for room once the queue is at the low mark.
    std::size_t takeBytes(std::uint8_t* out, std::size_t max);

    // Set once per drain after its last byte is queued (a drain ends when the
    // device has nothing more, after maxDrainBytes, or at the high mark), and
    // once when the line is lost, so a waiting consumer wakes. The receive
    // thread clears a set that nobody waited for before its next wait for
    // input when the queue is empty by then, so consumers take bytes until
    // takeByte fails, then wait with a timeout, and take again after the
    // timeout too.
    AutoResetEvent& dataReady() { return m_dataReady; }

    bool isOpen() const { return m_open.load(); }
    // True once the device vanished while open (unplugged adapter, dropped
    // network port). The receive thread has stopped; close() still applies.
    bool lineLost() const { return m_lineLost.load(); }
    // Bytes received and not yet taken.
    std::int32_t queuedCount() const { return m_queue.count(); }
    // True while the receive thread leaves the device unread because the
    // queue is full.
    bool isReceiveHeld() const { return m_receiveHeld.load(); }
    // Chunks of storage the receive queue holds now.
    std::size_t queueChunkCount() const { return m_queue.chunkCount(); }

private:
    void receiveLoop(SerialDevice* device);
    // Receive thread: while the queue is at the high mark, waits until it is
    // down to the low mark or the port closes. False when the port closed.
    bool waitForRoom();
    void gatherTrickle();
    // Consumer: wakes a held receive thread once the queue is at the low mark.
    void releaseReceiverIfRoom();

    std::mutex m_deviceMutex;  // guards m_device against open/close while reading it
    std::unique_ptr<SerialDevice> m_device;
    std::uint32_t m_baudRate = 0;
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_lineLost{false};
    std::thread m_receiveThread;
    AutoResetEvent m_dataReady;
    ByteQueue m_queue;
    // The receive thread's pause while the queue is full.
    std::mutex m_roomMutex;
    std::condition_variable m_roomChanged;
    std::atomic<bool> m_receiveHeld{false};
    WriteQueue m_output;
};

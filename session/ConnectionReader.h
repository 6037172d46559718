#pragma once
// The reader thread of a connection. It takes received bytes from the port
// and splits them into link frames and text lines; local bytes outside frames
// go straight into the panes showing local traffic. Frames and lines reach
// the loop's thread through a bounded hand-off, in arrival order with the
// local bytes that follow them. While the loop's thread is behind, the reader
// waits, which in turn holds the port back.
//
// Threads: start, stop and takeWaiting belong to the loop's thread, and the
// handler is called there; the loop itself runs on the reader thread. The
// reader takes the connection lock only while it takes bytes and writes the
// local ones into the panes, and sleeps while another thread holds it.

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "base/LoopTimers.h"
#include "session/ReaderHandOff.h"

class SerialPort;
class TrafficRouter;

class ConnectionReader {
public:
    class Handler {
    public:
        virtual ~Handler() = default;
        virtual void frameReceived(const std::string& frame) = 0;
        virtual void lineReceived(const std::string& line) = 0;
        // The device has vanished; told once.
        virtual void lineLost() = 0;
        // Items were taken because the reader asked: while text keeps coming,
        // the next ones may be taken on a tick the loop runs anyway
        // (takeWaiting) instead of waking it once more.
        virtual void receivedTaken() {}
    };

    ConnectionReader(SerialPort& port, TrafficRouter& router, EventLoop& loop, Handler& handler);
    ~ConnectionReader();
    ConnectionReader(const ConnectionReader&) = delete;
    ConnectionReader& operator=(const ConnectionReader&) = delete;

    // Starts the thread once the port is open; after stop() it never starts again.
    void start();
    // Stops the thread for good and waits for it.
    void stop();
    bool isRunning() const { return m_thread.joinable(); }

    // On a tick of the loop's thread: takes what waits unasked; false when
    // nothing did.
    bool takeWaiting();

private:
    void run();
    std::chrono::milliseconds waitLimit() const;
    void askToTake();
    void takeReceived();

    SerialPort& m_port;
    TrafficRouter& m_router;
    Handler& m_handler;
    LoopTimers m_timers;
    std::thread m_thread;
    std::atomic<bool> m_runFlag{true};
    ReaderHandOff m_received;
};

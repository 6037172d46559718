#pragma once
// The reader thread of a connection window. It takes received bytes from the
// port and splits them into link frames and text lines; local bytes outside
// frames go straight into the panes showing local traffic. Frames and lines
// reach the window thread through a bounded hand-off, in arrival order with
// the local bytes that follow them, as the signals below. While the window
// thread is behind, the reader waits, which in turn holds the port back.
//
// Threads: start and stop belong to the window thread, and the signals are
// emitted there; the loop itself runs on the reader thread.

#include <QObject>

#include <array>
#include <atomic>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "session/ReaderHandOff.h"

class CTerminalView;
class SerialPort;

class ConnectionReader : public QObject {
    Q_OBJECT
public:
    // panes: left and right; selection: what each shows (written on the
    // window thread, read here).
    ConnectionReader(SerialPort& port, const std::array<CTerminalView*, 2>& panes,
                     const std::array<std::atomic<int>, 2>& selection);
    ~ConnectionReader() override;

    // Starts the thread once the port is open; after stop() it never starts again.
    void start();
    // Stops the thread for good and waits for it.
    void stop();
    bool isRunning() const { return m_thread.joinable(); }

    // Writes a run of received local bytes into the panes showing local
    // traffic, under the connection lock.
    void echoLocal(std::string_view bytes);

signals:
    void frameReceived(const std::string& frame);
    void lineReceived(const std::string& line);
    // The device has vanished; emitted once.
    void lineLost();

private:
    void run();
    std::chrono::milliseconds waitLimit() const;
    void takeReceived();
    bool takeWaiting();

    SerialPort& m_port;
    std::array<CTerminalView*, 2> m_panes;
    const std::array<std::atomic<int>, 2>& m_selection;
    std::thread m_thread;
    std::atomic<bool> m_runFlag{true};
    ReaderHandOff m_received;
};

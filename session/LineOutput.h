#pragma once
// A connection window's output to its port, on the window thread: writes are
// queued by the port and moved on by a timer while the line holds them, so the
// window never waits for the line. It tells when the line holds output (for
// the "전송 대기 중" mark), when a stalled line made bytes be dropped or the
// queue refused a write, and it carries out the window's pauses between
// writes: each starts once what was written before it has left the port.

#include <QObject>
#include <QTimer>

#include <string>

class SerialPort;

class LineOutput : public QObject {
    Q_OBJECT
public:
    // How long output must wait before the line counts as holding it.
    static constexpr int heldAfterMs = 200;

    LineOutput(SerialPort& port, QObject* parent);

    // Queues the bytes for the port; a write the queue refuses is told.
    void write(const std::string& bytes);
    // Waits with events flowing until what was written so far has left the
    // port (or been dropped at its time limit), then `ms` more. False when the
    // wait was ended early: by cancel() or because the application quits.
    bool waitAfterSent(int ms);
    // Drops what is still queued for the port.
    void drop();
    // Ends a wait in progress, and every later one at once: the window closes
    // or the program ends.
    void cancel();
    bool isCancelled() const { return m_cancelled; }
    bool isHeld() const { return m_held; }

signals:
    void heldChanged(bool held);
    // A message for the panes (code page 949).
    void tell(const std::string& message);
    void cancelRequested();

private:
    void pump();
    void showHeld(bool held);

    SerialPort& m_port;
    QTimer m_timer;
    bool m_held = false;
    bool m_cancelled = false;
};

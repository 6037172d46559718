#include "session/ConnectionReader.h"

#include <QPointer>

#include <algorithm>
#include <array>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "display/CTerminalView.h"
#include "display/RepaintTick.h"
#include "serial/SerialPort.h"
#include "session/ConnectionLock.h"
#include "session/FrameSplitter.h"
#include "session/ReplyDecoder.h"

ConnectionReader::ConnectionReader(SerialPort& port, const std::array<CTerminalView*, 2>& panes,
                                   const std::array<std::atomic<int>, 2>& selection)
    : m_port(port)
    , m_panes(panes)
    , m_selection(selection)
{
}

ConnectionReader::~ConnectionReader()
{
    stop();
}

void ConnectionReader::start()
{
    if (m_thread.joinable() || !m_runFlag || !m_port.isOpen())
        return;
    m_thread = std::thread([this] { run(); });
}

void ConnectionReader::stop()
{
    RepaintTick::shared().leave(this);
    m_runFlag = false;
    if (m_thread.joinable()) {
        m_port.dataReady().set();  // so it need not sit out its wait first
        m_thread.join();
    }
}

namespace {

// Routes the splitter's events while the reader holds the connection lock:
// frames and lines are gathered for the hand-off to the window thread, which
// follows once the lock is let go; local bytes are gathered into runs and
// written into the panes, or, while a frame before them waits for the window
// thread, handed over behind it. So echo and frames reach the panes in
// arrival order.
class ReaderEvents final : public FrameSplitter::Events {
public:
    ReaderEvents(ConnectionReader& reader, ReaderHandOff& handOff)
        : m_reader(reader)
        , m_handOff(handOff)
    {
    }
    void frameComplete(std::string frame) override
    {
        // The window ignores frames of fewer than four bytes (no sub code),
        // so a storm of empty frames costs the window thread nothing.
        if (frame.size() < 4)
            return;
        flushEcho();
        m_items.push_back({ReaderHandOff::Kind::Frame, std::move(frame)});
        m_frameGathered = true;
    }
    void lineComplete(std::string line) override
    {
        // The window ignores empty lines (the second line of every CR LF), so
        // they are not handed over at all.
        if (line.empty())
            return;
        m_items.push_back({ReaderHandOff::Kind::Line, std::move(line)});
    }
    void echo(unsigned char byte) override
    {
        if (byte != 0)  // a zero byte is never shown
            m_echo.push_back(static_cast<char>(byte));
    }
    // With the connection lock held: writes the gathered run into the panes,
    // or hands it over when a frame before it has not been shown yet.
    void flushEcho()
    {
        if (m_echo.empty())
            return;
        if (m_frameGathered || m_handOff.echoMustFollow()) {
            m_items.push_back({ReaderHandOff::Kind::Echo, std::move(m_echo)});
            m_frameGathered = true;
        } else {
            m_reader.echoLocal(m_echo);
        }
        m_echo.clear();
    }
    // After the lock is let go: hands the gathered items over. True when the
    // window thread has to be asked to take them now.
    bool handOver()
    {
        m_frameGathered = false;
        return m_handOff.put(m_items, ReaderHandOff::Clock::now());
    }

private:
    ConnectionReader& m_reader;
    ReaderHandOff& m_handOff;
    std::string m_echo;
    std::vector<ReaderHandOff::Item> m_items;
    bool m_frameGathered = false;  // m_items holds a frame or echo item
};

}  // namespace

void ConnectionReader::run()
{
    using namespace std::chrono_literals;
    // Bytes taken from the port per taking of the connection lock: enough to
    // make the locking and the pane writes cheap per byte, few enough that the
    // window thread never waits long for the lock.
    constexpr std::size_t readBatchSize = 4096;
    std::array<std::uint8_t, readBatchSize> bytes{};
    FrameSplitter splitter;
    ReaderEvents events(*this, m_received);
    bool lossReported = false;
    const auto askWindow = [this] {
        QMetaObject::invokeMethod(this, &ConnectionReader::takeReceived, Qt::QueuedConnection);
    };
    while (m_runFlag) {
        // Drain after a time-out too: a data-ready set that lands between the
        // last empty take and this wait can be cleared by the receive thread
        // before its next device wait, and its bytes must not sit there.
        m_port.dataReady().waitFor(waitLimit());
        if (m_received.askIfDue(ReaderHandOff::Clock::now()))
            askWindow();
        for (;;) {
            // The window thread may hold the lock for seconds (a hang-up wait
            // inside the decoder); never block on it, so a closing window that
            // waits for this thread cannot deadlock.
            std::unique_lock<std::recursive_mutex> lock(connectionLock(), std::try_to_lock);
            while (!lock.owns_lock()) {
                if (!m_runFlag)
                    return;
                std::this_thread::sleep_for(1ms);
                lock.try_lock();
            }
            // A batch per lock taking; the bytes are still split one at a
            // time, in order, while the lock is held.
            const std::size_t count = m_port.takeBytes(bytes.data(), bytes.size());
            if (count == 0)
                break;
            for (std::size_t i = 0; i < count; ++i)
                splitter.feed(bytes[i], events);
            events.flushEcho();
            lock.unlock();
            if (events.handOver())
                askWindow();
            // While the window thread is behind, wait for it: the port's queue
            // fills meanwhile and holds the sender back. In slices, without
            // the lock, so closing the window is never held up.
            while (!m_received.waitForRoom(50ms)) {
                if (!m_runFlag)
                    return;
            }
            // The lock favours the thread that just released it: let a pane
            // that waits for it to repaint have its turn first, or a flood
            // would keep the window thread waiting for many batches.
            while (m_runFlag
                   && (m_panes[0]->windowWaitsForLock() || m_panes[1]->windowWaitsForLock()))
                std::this_thread::yield();
        }
        if (m_port.lineLost() && !lossReported) {
            lossReported = true;
            QMetaObject::invokeMethod(this, [this] { emit lineLost(); }, Qt::QueuedConnection);
        }
    }
}

// At most the 100 ms the run flag allows, less while lines handed over wait
// for their turn to be asked for.
std::chrono::milliseconds ConnectionReader::waitLimit() const
{
    constexpr std::chrono::milliseconds longest(100);
    const auto due = m_received.dueAt();
    if (!due)
        return longest;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - ReaderHandOff::Clock::now());
    return std::clamp(left, std::chrono::milliseconds(0), longest);
}

// On the window thread: handles the frames and lines the reader handed over,
// oldest first. After a few milliseconds it lets the event loop run (paints,
// input, the accessibility bus) and carries on in a new call.
void ConnectionReader::takeReceived()
{
    constexpr auto budget = std::chrono::milliseconds(10);
    const auto start = std::chrono::steady_clock::now();
    const QPointer<ConnectionReader> self(this);
    // While lines keep coming, the next ones are taken at the repaint tick,
    // which runs anyway while text arrives, instead of waking this thread
    // once more in between.
    RepaintTick::shared().join(this, [this] { return takeWaiting(); });
    m_received.beginTaking();
    ReaderHandOff::Item item;
    while (m_received.take(item)) {
        // A handler may wait with the event loop running (a message pause, a
        // dialog); a call made meanwhile takes the next items, still in order.
        switch (item.kind) {
        case ReaderHandOff::Kind::Frame:
            emit frameReceived(item.bytes);
            break;
        case ReaderHandOff::Kind::Line:
            emit lineReceived(item.bytes);
            break;
        case ReaderHandOff::Kind::Echo:
            echoLocal(item.bytes);
            break;
        }
        if (!self)
            return;
        m_received.handled(item.kind);
        if (std::chrono::steady_clock::now() - start >= budget) {
            if (m_received.askAgain())
                QMetaObject::invokeMethod(this, &ConnectionReader::takeReceived, Qt::QueuedConnection);
            return;
        }
    }
}

// On the repaint tick: takes what waits unasked; false when nothing did.
bool ConnectionReader::takeWaiting()
{
    if (!m_received.claimWaiting(ReaderHandOff::Clock::now()))
        return false;
    takeReceived();
    return true;
}

void ConnectionReader::echoLocal(std::string_view bytes)
{
    if (bytes.empty())
        return;
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    for (int side = 0; side < 2; ++side) {
        if (paneShowsLocalEcho(m_selection[side]))
            m_panes[side]->putText(bytes);
    }
}

#include "session/ConnectionReader.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "serial/SerialPort.h"
#include "session/ConnectionLock.h"
#include "session/FrameSplitter.h"
#include "session/TrafficRouter.h"

ConnectionReader::ConnectionReader(SerialPort& port, TrafficRouter& router, EventLoop& loop, Handler& handler)
    : m_port(port)
    , m_router(router)
    , m_handler(handler)
    , m_timers(loop)
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
    m_runFlag = false;
    if (m_thread.joinable()) {
        m_port.dataReady().set();  // so it need not sit out its wait first
        m_thread.join();
    }
    // What the thread asked for and the loop has not run yet is dropped.
    m_timers.cancelAll();
}

namespace {

// Routes the splitter's events while the reader holds the connection lock:
// frames and lines are gathered for the hand-off to the loop's thread, which
// follows once the lock is let go; local bytes are gathered into runs and
// written into the panes, or, while a frame before them waits for the loop's
// thread, handed over behind it. So echo and frames reach the panes in
// arrival order.
class ReaderEvents final : public FrameSplitter::Events {
public:
    ReaderEvents(TrafficRouter& router, ReaderHandOff& handOff)
        : m_router(router)
        , m_handOff(handOff)
    {
    }
    void frameComplete(std::string frame) override
    {
        // Frames of fewer than four bytes (no sub code) are ignored anyway,
        // so a storm of empty frames costs the loop's thread nothing.
        if (frame.size() < 4)
            return;
        flushEcho();
        m_items.push_back({ReaderHandOff::Kind::Frame, std::move(frame)});
        m_frameGathered = true;
    }
    void lineComplete(std::string line) override
    {
        // Empty lines (the second line of every CR LF) mean nothing to the
        // dialogue, so they are not handed over at all.
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
            m_router.echoLocal(m_echo);
        }
        m_echo.clear();
    }
    // After the lock is let go: hands the gathered items over. True when the
    // loop's thread has to be asked to take them now.
    bool handOver()
    {
        m_frameGathered = false;
        return m_handOff.put(m_items, ReaderHandOff::Clock::now());
    }

private:
    TrafficRouter& m_router;
    ReaderHandOff& m_handOff;
    std::string m_echo;
    std::vector<ReaderHandOff::Item> m_items;
    bool m_frameGathered = false;  // m_items holds a frame or echo item
};

}  // namespace

void ConnectionReader::askToTake()
{
    m_timers.post([this] { takeReceived(); });
}

void ConnectionReader::run()
{
    using namespace std::chrono_literals;
    // Bytes taken from the port per taking of the connection lock: enough to
    // make the locking and the pane writes cheap per byte, few enough that the
    // loop's thread never waits long for the lock.
    constexpr std::size_t readBatchSize = 4096;
    std::array<std::uint8_t, readBatchSize> bytes{};
    FrameSplitter splitter;
    ReaderEvents events(m_router, m_received);
    bool lossReported = false;
    while (m_runFlag) {
        // Drain after a time-out too: a data-ready set that lands between the
        // last empty take and this wait can be cleared by the receive thread
        // before its next device wait, and its bytes must not sit there.
        m_port.dataReady().waitFor(waitLimit());
        if (m_received.askIfDue(ReaderHandOff::Clock::now()))
            askToTake();
        for (;;) {
            // Nobody holds the lock for long (a pane write, a frame's
            // decoding): the reader sleeps on it meanwhile.
            std::unique_lock<std::recursive_mutex> lock(connectionLock());
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
                askToTake();
            // While the loop's thread is behind, wait for it: the port's queue
            // fills meanwhile and holds the sender back. In slices, without
            // the lock, so stopping is never held up.
            while (!m_received.waitForRoom(50ms)) {
                if (!m_runFlag)
                    return;
            }
            // The lock favours the thread that just released it: let a pane
            // that waits for it to repaint have its turn first, or a flood
            // would keep the window waiting for many batches.
            while (m_runFlag && m_router.viewWaitsForLock())
                std::this_thread::yield();
        }
        // Told once per loss: a port opened again may be lost again.
        if (m_port.lineLost() && !lossReported) {
            lossReported = true;
            m_timers.post([this] { m_handler.lineLost(); });
        } else if (!m_port.lineLost()) {
            lossReported = false;
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

// On the loop's thread: hands the frames and lines the reader handed over to
// the handler, oldest first. After a few milliseconds it lets the loop run
// (paints, input) and carries on in a new call.
void ConnectionReader::takeReceived()
{
    constexpr auto budget = std::chrono::milliseconds(10);
    const auto start = std::chrono::steady_clock::now();
    m_handler.receivedTaken();
    m_received.beginTaking();
    ReaderHandOff::Item item;
    while (m_received.take(item)) {
        switch (item.kind) {
        case ReaderHandOff::Kind::Frame:
            m_handler.frameReceived(item.bytes);
            break;
        case ReaderHandOff::Kind::Line:
            m_handler.lineReceived(item.bytes);
            break;
        case ReaderHandOff::Kind::Echo:
            m_router.echoLocal(item.bytes);
            break;
        }
        m_received.handled(item.kind);
        if (std::chrono::steady_clock::now() - start >= budget) {
            if (m_received.askAgain())
                askToTake();
            return;
        }
    }
}

bool ConnectionReader::takeWaiting()
{
    if (!m_received.claimWaiting(ReaderHandOff::Clock::now()))
        return false;
    takeReceived();
    return true;
}

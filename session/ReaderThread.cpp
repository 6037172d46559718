// The connection window's reader thread: takes received bytes from the port,
// splits them into link frames and text lines for the window thread, and echoes
// local traffic into the panes.

#include <array>
#include <chrono>
#include <mutex>
#include <thread>

#include "display/CTerminalView.h"
#include "session/CChildFrame.h"
#include "session/ConnectionLock.h"
#include "session/FrameSplitter.h"
#include "session/ReplyDecoder.h"

void CChildFrame::startReader()
{
    if (m_reader.joinable() || !m_runFlag || !m_port.isOpen())
        return;
    m_reader = std::thread([this] { readerLoop(); });
}

void CChildFrame::stopReader()
{
    m_runFlag = false;
    if (m_reader.joinable())
        m_reader.join();
}

namespace {

// Routes the splitter's events: local bytes to the panes at once, frames and
// lines to the window thread as queued calls carrying their own copy.
class ReaderEvents final : public FrameSplitter::Events {
public:
    explicit ReaderEvents(CChildFrame& frame)
        : m_frame(frame)
    {
    }
    void frameComplete(std::string frame) override
    {
        QMetaObject::invokeMethod(
            &m_frame, [f = &m_frame, bytes = std::move(frame)] { f->onFrameReceived(bytes); }, Qt::QueuedConnection);
    }
    void lineComplete(std::string line) override
    {
        // The window ignores empty lines (the second line of every CR LF), so
        // they are not posted at all.
        if (line.empty())
            return;
        QMetaObject::invokeMethod(
            &m_frame, [f = &m_frame, text = std::move(line)] { f->onLineReceived(text); }, Qt::QueuedConnection);
    }
    void echo(unsigned char byte) override { m_frame.echoLocal(byte); }

private:
    CChildFrame& m_frame;
};

}  // namespace

void CChildFrame::readerLoop()
{
    using namespace std::chrono_literals;
    // Bytes taken from the port per taking of the connection lock: enough to
    // cut the locking per byte, few enough that the window thread never waits
    // long for the lock.
    constexpr std::size_t ReadBatchSize = 256;
    std::array<std::uint8_t, ReadBatchSize> bytes{};
    FrameSplitter splitter;
    ReaderEvents events(*this);
    bool lossReported = false;
    while (m_runFlag) {
        // Drain after a time-out too: a data-ready set that lands between the
        // last empty take and this wait can be reset by the receive thread
        // before its next device wait, and its bytes must not sit there.
        m_port.dataReady().waitFor(100ms);
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
            // A batch per lock taking; the bytes are still split and echoed
            // one at a time, in order, while the lock is held.
            const std::size_t count = m_port.takeBytes(bytes.data(), bytes.size());
            if (count == 0)
                break;
            for (std::size_t i = 0; i < count; ++i)
                splitter.feed(bytes[i], events);
            lock.unlock();
            // The lock favours the thread that just released it: let a pane
            // that waits for it to repaint have its turn first, or a flood
            // would keep the window thread waiting for many batches.
            while (m_runFlag
                   && (m_panes[LeftPane]->windowWaitsForLock() || m_panes[RightPane]->windowWaitsForLock()))
                std::this_thread::yield();
        }
        if (m_port.lineLost() && !lossReported) {
            lossReported = true;
            QMetaObject::invokeMethod(this, &CChildFrame::onLineLost, Qt::QueuedConnection);
        }
    }
}

void CChildFrame::echoLocal(unsigned char byte)
{
    if (byte == 0)
        return;
    const char text[1] = {static_cast<char>(byte)};
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    for (int side = 0; side < 2; ++side) {
        if (paneShowsLocalEcho(m_selection[side]))
            m_panes[side]->putText(std::string_view(text, 1));
    }
}

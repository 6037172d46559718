#include "bench/ReceiveRun.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "bench/ProcessCpu.h"
#include "bench/ProcessMemory.h"
#include "display/CTerminalView.h"
#include "display/TextScreen.h"
#include "session/CChildFrame.h"
#include "session/ConnectionHost.h"
#include "session/ConnectionLock.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr int tickMs = 5;
// A log that has not grown for this long ends the wait: the run is incomplete.
constexpr auto noProgressLimit = std::chrono::seconds(10);

double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

}  // namespace

// The main frame stand-in: knows COM1 at 115,200 bit/s, 8 data bits, no
// parity, one stop bit.
class BenchHost : public ConnectionHost {
public:
    std::optional<PortSettings> findPortSettings(const std::string& name) const override
    {
        if (name == m_settings.portName)
            return m_settings;
        return std::nullopt;
    }
    std::string portSettingsText(const std::string& name) const override
    {
        return name == m_settings.portName ? "115200-N-8-1" : "";
    }
    DialSettings dialSettings() const override { return {}; }
    bool logTimestamps(int) const override { return false; }
    void setLogTimestamps(int, bool) override {}
    void portWindowClosed(const std::string&) override {}
    std::vector<std::string> recentScripts() const override { return {}; }
    void scriptRun(const std::string&) override {}

private:
    PortSettings m_settings{"COM1", 1152, 8, 1, 0};
};

struct ReceiveRun::Completion {
    bool complete = false;
    Clock::time_point when{};
    double processCpu = 0.0;
    double watcherCpu = 0.0;
};

ReceiveRun::ReceiveRun(PtyFeeder& feeder)
    : m_feeder(feeder)
    , m_host(std::make_unique<BenchHost>())
{
}

ReceiveRun::~ReceiveRun()
{
    finish();
}

bool ReceiveRun::start(std::string& error)
{
    if (!m_dir.isValid()) {
        error = "no temporary directory";
        return false;
    }
    m_logPath = m_dir.filePath(QStringLiteral("left.log")).toStdString();
    setenv("EMUVOLA_SERIAL_MAP", ("COM1=" + m_feeder.slavePath()).c_str(), 1);

    m_frame = std::make_unique<CChildFrame>(*m_host);
    m_frame->resize(1200, 800);
    m_frame->show();
    m_frame->openConnection("COM1");
    if (!m_frame->serialPort().isOpen()) {
        error = "COM1 (" + m_feeder.slavePath() + ") did not open";
        return false;
    }
    const bool logOpen = m_frame->pane(PaneSide::Left)->content().openLog(m_logPath);
    if (!logOpen) {
        error = "cannot open the log " + m_logPath;
        return false;
    }
    // The window starts its reader thread 100 ms after opening the port.
    for (int waited = 0; !m_frame->isReaderRunning() && waited < 3000; waited += 20)
        settle(20);
    if (!m_frame->isReaderRunning()) {
        error = "the reader thread did not start";
        return false;
    }
    settle(200);
    return true;
}

FloodResult ReceiveRun::flood(const Traffic& traffic, const std::string& marker)
{
    FloodResult result;
    result.megabytes = static_cast<double>(traffic.total) / (1024.0 * 1024.0);
    const long long target = logSize() + static_cast<long long>(traffic.total);
    result.peakSinceStart = !resetPeakResident();
    result.rssBeforeKb = residentKb();

    // The window thread's pulse: the largest gap between two ticks.
    Clock::time_point lastTick = Clock::now();
    Clock::duration worstGap{};
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(tickMs);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        worstGap = std::max(worstGap, now - lastTick);
        lastTick = now;
    });
    ticker.start();

    const double cpuBefore = processCpuSeconds();
    m_feeder.start(traffic);
    const Completion done = marker.empty() ? waitForLog(target, 1) : waitForMarker(marker);
    ticker.stop();
    m_feeder.join();

    result.complete = done.complete && m_feeder.wroteAll();
    result.seconds = secondsBetween(m_feeder.firstByteTime(), done.when);
    result.cpuSeconds = done.processCpu - cpuBefore - m_feeder.writerCpuSeconds() - done.watcherCpu;
    const double gapMs = std::chrono::duration<double, std::milli>(worstGap).count();
    result.worstStallMs = std::max(0.0, gapMs - tickMs);
    // The log is complete once the reader has split every byte; what the
    // window thread still has queued is handled while this settles.
    settle(500);
    result.rssPeakKb = peakResidentKb();
    result.rssAfterKb = residentKb();
    return result;
}

PacedResult ReceiveRun::paced(const Traffic& traffic, int bytesPerSecond)
{
    PacedResult result;
    const long long target = logSize() + static_cast<long long>(traffic.total);
    const double cpuBefore = processCpuSeconds();
    m_feeder.start(traffic, bytesPerSecond);
    const Completion done = waitForLog(target, 10);
    m_feeder.join();

    result.complete = done.complete && m_feeder.wroteAll();
    result.seconds = secondsBetween(m_feeder.firstByteTime(), done.when);
    result.cpuSeconds = done.processCpu - cpuBefore - m_feeder.writerCpuSeconds() - done.watcherCpu;
    settle(100);
    return result;
}

ReceiveRun::Completion ReceiveRun::waitForLog(long long targetSize, int pollMs)
{
    return waitFor(
        [this, targetSize](bool& complete) {
            const long long size = logSize();
            complete = size == targetSize;
            return size >= targetSize;
        },
        pollMs);
}

ReceiveRun::Completion ReceiveRun::waitForMarker(const std::string& marker)
{
    return waitFor(
        [this, marker](bool& complete) {
            complete = true;
            const PaneContent& content = m_frame->pane(PaneSide::Left)->content();
            std::lock_guard<std::recursive_mutex> lock(content.lock());
            const TextScreen& screen = content.screen();
            for (int row = TextScreen::cursorRow - 2; row <= TextScreen::cursorRow; ++row) {
                if (screen.rowText(row).find(marker) != std::string_view::npos)
                    return true;
            }
            return false;
        },
        2);
}

// Polls `done` from a watcher thread while the window thread runs its event
// loop. Gives up when the log has not grown for NoProgressLimit and the
// pseudo-terminal's writer has finished.
ReceiveRun::Completion ReceiveRun::waitFor(const std::function<bool(bool& complete)>& done, int pollMs)
{
    Completion result;
    QEventLoop loop;
    std::thread watcher([&] {
        const double cpuAtStart = threadCpuSeconds();
        long long lastSize = -1;
        Clock::time_point lastGrowth = Clock::now();
        for (;;) {
            const Clock::time_point now = Clock::now();
            bool complete = false;
            if (done(complete)) {
                result.complete = complete;
                result.when = now;
                break;
            }
            const long long size = logSize();
            if (size != lastSize || !m_feeder.finished()) {
                lastSize = size;
                lastGrowth = now;
            } else if (now - lastGrowth > noProgressLimit) {
                result.when = lastGrowth;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
        }
        result.processCpu = processCpuSeconds();
        result.watcherCpu = threadCpuSeconds() - cpuAtStart;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    watcher.join();
    return result;
}

long long ReceiveRun::logSize() const
{
    struct stat info {};
    if (::stat(m_logPath.c_str(), &info) != 0)
        return -1;
    return static_cast<long long>(info.st_size);
}

void ReceiveRun::settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void ReceiveRun::finish()
{
    if (!m_frame)
        return;
    m_frame->close();  // stops and joins the reader thread
    QCoreApplication::processEvents();
    m_frame.reset();   // closes the port, joining its receive thread
    unsetenv("EMUVOLA_SERIAL_MAP");
}

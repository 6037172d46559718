#include "session/CChildFrame.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <array>
#include <chrono>

#include "directory/UserPrompts.h"
#include "display/CTerminalView.h"
#include "serial/QtText.h"
#include "session/ConnectionHost.h"
#include "session/ConnectionLock.h"
#include "session/ConnectionMessages.h"
#include "session/ConnectionToolBar.h"
#include "session/DialWaitDialog.h"
#include "session/FrameSplitter.h"
#include "session/SendBar.h"

namespace msg = connectionMessages;

CChildFrame::CChildFrame(ConnectionHost& host, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
{
    buildWindow();
}

CChildFrame::~CChildFrame()
{
    // At program end the frame is destroyed without a close request: stop the
    // reader here, then release the port. Closing never sends the hang-up.
    stopReader();
    m_port.close();
    m_port.reset();
    closeDialWait();
}

void CChildFrame::buildWindow()
{
    setFocusPolicy(Qt::StrongFocus);
    m_toolBar = new ConnectionToolBar(this);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    const std::array<QString, 2> names{QStringLiteral("왼쪽창"), QStringLiteral("오른쪽창")};
    auto* bars = new QWidget(this);
    auto* barLayout = new QHBoxLayout(bars);
    barLayout->setContentsMargins(0, 0, 0, 0);
    for (int side = 0; side < 2; ++side) {
        m_panes[side] = new CTerminalView(splitter);
        m_panes[side]->setAccessibleName(names[side]);
        m_panes[side]->setMinimumWidth(10);
        m_panes[side]->setModelLock(&connectionLock());
        splitter->addWidget(m_panes[side]);
        m_bars[side] = new SendBar(names[side] + QStringLiteral(" 입력"), bars);
        barLayout->addWidget(m_bars[side], 1);
    }
    splitter->setSizes({1, 1});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(splitter, 1);
    layout->addWidget(bars);

    connect(m_toolBar->dialButton, &QPushButton::clicked, this, &CChildFrame::dial);
    connect(m_toolBar->hangUpButton, &QPushButton::clicked, this, &CChildFrame::hangUp);
    connect(m_toolBar->idPasswordButton, &QPushButton::clicked, this, &CChildFrame::changeIdAndPassword);
    connect(m_toolBar->portSettingsButton, &QPushButton::clicked, this, &CChildFrame::configureRemotePort);
    for (int port = 0; port < 4; ++port)
        connect(m_toolBar->portToggles[port], &QPushButton::clicked, this, [this, port] { togglePort(port); });
    for (int side = 0; side < 2; ++side) {
        const Pane pane = static_cast<Pane>(side);
        connect(m_toolBar->paneSelectors[side], &QComboBox::activated, this, [this, pane] { selectPaneSource(pane); });
        connect(m_toolBar->logBoxes[side], &QCheckBox::clicked, this, [this, pane] { toggleLog(pane); });
        // The bars' requests are handled after the bar has finished its own handling.
        connect(m_bars[side], &SendBar::sendRequested, this, &CChildFrame::sendFromBar, Qt::QueuedConnection);
        connect(m_bars[side], &SendBar::interruptRequested, this, &CChildFrame::sendInterrupt, Qt::QueuedConnection);
        connect(m_bars[side], &SendBar::clearRequested, this, &CChildFrame::clearPane, Qt::QueuedConnection);
        connect(m_panes[side], &CTerminalView::paneFocused, this,
                [this](CTerminalView* focused) {
                    m_lastFocusedPane = focused;
                    focusActivePane();
                },
                Qt::QueuedConnection);
        // "붙여넣기" in a pane's menu puts the text into its bar, not yet sent.
        connect(m_panes[side], &CTerminalView::pasteRequested, m_bars[side],
                [bar = m_bars[side]](const QString& text) { bar->inputLine()->insert(text); bar->setFocus(); });
        connect(m_panes[side], &CVT100View::logWriteFailed, this, [this, pane](const QString& path) {
            std::lock_guard<std::recursive_mutex> lock(connectionLock());
            m_panes[pane]->closeLog();
            m_toolBar->logBoxes[pane]->setChecked(false);
            informUser(this, QStringLiteral("로그 파일에 쓰지 못해 로그 저장을 멈췄습니다.\n%1").arg(path));
        });
    }
    updateCommands();
}

void CChildFrame::openConnection(const std::string& portName)
{
    if (portName.empty())
        return;
    m_portName = portName;
    m_baseTitle = msg::baseTitle(portName, m_host.portSettingsText(portName));
    setDocumentTitle(m_baseTitle);
    m_port.reset();

    const std::optional<PortSettings> settings = m_host.findPortSettings(portName);
    if (!settings)
        return;  // no line settings: the window stays, without a port
    LineSettings line;
    line.portName = portName;
    // A hand-edited speed that is not a line speed gives 0, which the port refuses.
    const bool usableSpeed = settings->baudHundreds > 0 && settings->baudHundreds <= 40000;
    line.baudRate = usableSpeed ? static_cast<std::uint32_t>(settings->baudHundreds) * 100u : 0u;
    line.dataBits = settings->dataBits;
    line.stopBitsCode = settings->stopBits;
    line.parityCode = settings->parity;
    if (!m_port.open(line)) {
        failedToOpen();
        return;
    }

    if (m_port.carrierDetected()) {
        m_connected = true;  // the link is taken as up; no login
    } else {
        m_connected = false;
        sendText(m_host.dialSettings().initCommand, noPort, true);
    }
    m_toolBar->showConnected(m_connected);
    resetPaneSelections();
    for (CTerminalView* pane : m_panes)
        pane->setOwnerFrame(this);
    m_panes[LeftPane]->setFocus();
    m_bars[LeftPane]->setFocus();
    m_userId = "admin";
    m_password = "pilvo";
    updateCommands();
    QTimer::singleShot(100, this, &CChildFrame::startReader);
}

void CChildFrame::failedToOpen()
{
    const QPointer<CChildFrame> self(this);
    informUser(this, fromCp949(msg::portOpenFailed(m_portName)));
    if (!self)
        return;
    frameWindow()->close();
}

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

void CChildFrame::onLineLost()
{
    // The device vanished (adapter pulled, network port dropped): say so and
    // return to the unconnected state; the operator can close and reopen.
    closeDialWait();
    markDisconnected();
    showInAllPanes(msg::connectionLost());
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        m_closing = true;
        stopReader();
        closeDialWait();
        m_host.portWindowClosed(m_portName);
        emit closed(QString::fromStdString(m_portName));
    }
    event->accept();
}

void CChildFrame::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    focusActivePane();
}

QWidget* CChildFrame::frameWindow()
{
    // Inside the main frame the window is the MDI sub-window holding this frame.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return this;
}

void CChildFrame::updateCommands()
{
    m_toolBar->dialButton->setEnabled(!m_connected);
    m_toolBar->hangUpButton->setEnabled(m_connected);
    m_toolBar->idPasswordButton->setEnabled(m_connected);
    m_toolBar->portSettingsButton->setEnabled(m_connected);
    for (QPushButton* toggle : m_toolBar->portToggles)
        toggle->setEnabled(m_connected);
}

void CChildFrame::setConnected(bool connected)
{
    m_connected = connected;
    m_toolBar->showConnected(connected);
    updateCommands();
}

void CChildFrame::setDocumentTitle(const std::string& title)
{
    setWindowTitle(fromCp949(title));
    setAccessibleName(windowTitle());
    if (QWidget* window = frameWindow(); window != this) {
        window->setWindowTitle(windowTitle());
        window->setAccessibleName(windowTitle());
    }
    for (std::string& status : m_portStatus)
        status.clear();
}

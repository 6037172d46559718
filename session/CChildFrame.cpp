#include "session/CChildFrame.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "directory/UserPrompts.h"
#include "display/CTerminalView.h"
#include "session/ConnectionHost.h"
#include "session/ConnectionLock.h"
#include "session/ConnectionMessages.h"
#include "session/ConnectionToolBar.h"
#include "session/PaneArea.h"
#include "session/PaneLogSwitch.h"
#include "session/SendBar.h"

namespace msg = connectionMessages;

CChildFrame::CChildFrame(ConnectionHost& host, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
{
    setFocusPolicy(Qt::StrongFocus);
    m_toolBar = new ConnectionToolBar(this);

    m_area = new PaneArea(this);
    m_panes = m_area->panes;
    m_bars = m_area->bars;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_area, 1);

    connect(m_toolBar->dialButton, &QPushButton::clicked, this, &CChildFrame::dial);
    connect(m_toolBar->hangUpButton, &QPushButton::clicked, this, &CChildFrame::hangUp);
    connect(m_toolBar->idPasswordButton, &QPushButton::clicked, this, &CChildFrame::changeIdAndPassword);
    connect(m_toolBar->portSettingsButton, &QPushButton::clicked, this, &CChildFrame::configureRemotePort);
    connect(m_toolBar->linkMonitorButton, &QPushButton::clicked, this, &CChildFrame::showLinkMonitor);
    auto* monitorEntry = new QAction(QStringLiteral("링크 모니터"), this);
    connect(monitorEntry, &QAction::triggered, this, &CChildFrame::showLinkMonitor);
    for (int port = 0; port < remotePortCount; ++port)
        connect(m_toolBar->portToggles[port], &QPushButton::toggled, this, [this, port] { togglePort(port); });
    for (int side = 0; side < 2; ++side) {
        const Pane pane = static_cast<Pane>(side);
        connect(m_toolBar->paneSelectors[side], &QComboBox::activated, this, [this, pane] { selectPaneSource(pane); });
        m_logs[side] = new PaneLogSwitch(this, m_panes[side], m_toolBar->logBoxes[side], side == 0 ? 'L' : 'R');
        m_logs[side]->offerTimestamps(m_host.logTimestamps(side), [this, side](bool on) {
            m_host.setLogTimestamps(side, on);
        });
        // toggled: by mouse, Space or accessible action alike. The program sets
        // these controls with their signals blocked.
        connect(m_toolBar->logBoxes[side], &QCheckBox::toggled, this, [this, pane] { toggleLog(pane); });
        // The bars' requests are handled after the bar has finished its own handling.
        connect(m_bars[side], &SendBar::sendRequested, this, &CChildFrame::sendFromBar, Qt::QueuedConnection);
        connect(m_bars[side], &SendBar::interruptRequested, this, &CChildFrame::sendInterrupt, Qt::QueuedConnection);
        connect(m_bars[side], &SendBar::clearRequested, this, &CChildFrame::clearPane, Qt::QueuedConnection);
        m_panes[side]->addContextMenuAction(monitorEntry);
        connect(m_panes[side], &CTerminalView::paneFocused, this,
                [this](CTerminalView* focused) {
                    m_lastFocusedPane = focused;
                    focusActivePane();
                },
                Qt::QueuedConnection);
    }
    m_reader = std::make_unique<ConnectionReader>(m_port, m_panes, m_area->selection);
    connect(m_reader.get(), &ConnectionReader::frameReceived, this, &CChildFrame::onFrameReceived);
    connect(m_reader.get(), &ConnectionReader::lineReceived, this, &CChildFrame::onLineReceived);
    connect(m_reader.get(), &ConnectionReader::lineLost, this, &CChildFrame::onLineLost);
    connect(&m_output, &LineOutput::heldChanged, m_toolBar, &ConnectionToolBar::showOutputHeld);
    connect(&m_output, &LineOutput::tell, this, &CChildFrame::showInAllPanes, Qt::QueuedConnection);
    m_toolBar->enableCommands(false);
}

CChildFrame::~CChildFrame()
{
    // At program end the frame is destroyed without a close request: stop the
    // reader here, then release the port. Closing never sends the hang-up.
    m_reader->stop();
    m_port.close();
    m_port.reset();
    closeDialWait();
}

void CChildFrame::openConnection(const std::string& portName)
{
    if (portName.empty())
        return;
    m_portName = portName;
    perform(m_dialogue.takePort(portName, m_host.portSettingsText(portName)));
    m_port.reset();

    const std::optional<PortSettings> settings = m_host.findPortSettings(portName);
    if (!settings)
        return;  // no line settings: the window stays, without a port
    if (!m_port.open(lineSettingsFor(*settings))) {
        failedToOpen();
        return;
    }
    perform(m_dialogue.portOpened(carrier(), m_host.dialSettings().initCommand));
    for (CTerminalView* pane : m_panes)
        pane->setOwnerFrame(this);
    m_panes[LeftPane]->setFocus();
    m_bars[LeftPane]->setFocus();
    QTimer::singleShot(100, m_reader.get(), &ConnectionReader::start);
}

void CChildFrame::failedToOpen()
{
    const QPointer<CChildFrame> self(this);
    informUser(this, fromCp949(msg::portOpenFailed(m_portName)));
    if (!self)
        return;
    frameWindow()->close();
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        abandon();
        m_reader->stop();
        closeDialWait();
        m_host.portWindowClosed(m_portName);
        emit closed(QString::fromStdString(m_portName));
    }
    event->accept();
}

void CChildFrame::abandon()
{
    m_closing = true;
    m_output.drop();
    m_output.cancel();
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

void CChildFrame::setDocumentTitle(const std::string& title)
{
    setWindowTitle(fromCp949(title));
    setAccessibleName(windowTitle());
    if (QWidget* window = frameWindow(); window != this) {
        window->setWindowTitle(windowTitle());
        window->setAccessibleName(windowTitle());
    }
}

bool CChildFrame::portToggled(int port) const
{
    return isRemotePort(port) && m_toolBar->portToggles[port]->isChecked();
}

void CChildFrame::onFrameReceived(const std::string& frame)
{
    // The whole decoding, follow-up steps included, runs under the connection
    // lock, so reader threads pause at their next byte meanwhile.
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    if (monitoring())
        m_monitor->recordReceivedFrame(frame, m_dialogue.requestKind());
    perform(m_dialogue.frameReceived(frame));
}

void CChildFrame::onLineReceived(const std::string& line)
{
    if (monitoring())
        m_monitor->recordModemLine(line, m_dialogue.requestKind());
    handleModemLine(line);
}

void CChildFrame::showLinkMonitor()
{
    if (!m_monitor)
        m_monitor = new LinkMonitorWindow(this);
    m_monitor->show();
    m_monitor->raise();
    m_monitor->activateWindow();
}

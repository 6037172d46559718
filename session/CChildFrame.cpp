#include "session/CChildFrame.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/AppPaths.h"
#include "base/QtEventLoop.h"
#include "base/QtText.h"
#include "base/FilePath.h"
#include "directory/UserPrompts.h"
#include "display/CTerminalView.h"
#include "display/RepaintTick.h"
#include "script/ScriptFile.h"
#include "session/ConnectionDialogs.h"
#include "session/ConnectionHost.h"
#include "session/ConnectionLock.h"
#include "session/ConnectionMessages.h"
#include "session/ConnectionToolBar.h"
#include "session/DialWaitDialog.h"
#include "session/FocusRegions.h"
#include "session/LinkMonitorWindow.h"
#include "session/PaneArea.h"
#include "session/PaneLogSwitch.h"
#include "session/SendBar.h"

namespace msg = connectionMessages;

namespace {

// How a script ended, for the tool bar.
QString scriptOutcomeText(const ScriptOutcome& outcome)
{
    const QString at = outcome.line > 0 ? QStringLiteral(" (%1행)").arg(outcome.line) : QString();
    const QString message = fromCp949(outcome.message);
    switch (outcome.kind) {
    case ScriptOutcome::Kind::Done:
        return QStringLiteral("완료");
    case ScriptOutcome::Kind::Failed:
        return QStringLiteral("실패: ") + message + at;
    case ScriptOutcome::Kind::LineLost:
        return QStringLiteral("연결이 끊어져 멈췄습니다") + at;
    case ScriptOutcome::Kind::ScriptError:
        return QStringLiteral("오류: ") + message;
    case ScriptOutcome::Kind::Stopped:
        return QStringLiteral("중지했습니다") + at;
    }
    return {};
}

}  // namespace

CChildFrame::CChildFrame(ConnectionHost& host, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
{
    setFocusPolicy(Qt::StrongFocus);
    m_toolBar = new ConnectionToolBar(this);
    m_area = new PaneArea(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_area, 1);

    ConnectionFrontEnd& frontEnd = *this;
    m_engine = std::make_unique<ConnectionEngine>(QtEventLoop::shared(), m_host, frontEnd);
    for (PaneSide side : paneSides) {
        m_contents[indexOf(side)] = std::make_unique<PaneContent>(&connectionLock());
        pane(side)->setContent(m_contents[indexOf(side)].get());
        m_engine->router().setPane(side, m_contents[indexOf(side)].get());
    }

    connect(m_toolBar->dialButton, &QPushButton::clicked, this, [this] { m_engine->dial(); });
    connect(m_toolBar->hangUpButton, &QPushButton::clicked, this, [this] { m_engine->hangUp(); });
    connect(m_toolBar->idPasswordButton, &QPushButton::clicked, this, [this] { m_engine->changeIdAndPassword(); });
    connect(m_toolBar->portSettingsButton, &QPushButton::clicked, this,
            [this] { m_engine->configureRemotePort(m_engine->paneSelection(m_activePane)); });
    connect(m_toolBar->linkMonitorButton, &QPushButton::clicked, this, &CChildFrame::showLinkMonitor);
    auto* monitorEntry = new QAction(QStringLiteral("링크 모니터"), this);
    connect(monitorEntry, &QAction::triggered, this, &CChildFrame::showLinkMonitor);
    auto* scriptEntry = new QAction(QStringLiteral("스크립트 실행..."), this);
    connect(scriptEntry, &QAction::triggered, this, &CChildFrame::chooseScript);
    connect(m_toolBar->scriptButton, &QPushButton::clicked, this, &CChildFrame::chooseScript);
    connect(m_toolBar->stopScriptButton, &QPushButton::clicked, this, &CChildFrame::stopScript);
    for (int port = 0; port < remotePortCount; ++port)
        connect(m_toolBar->portToggles[port], &QPushButton::toggled, this, [this, port] { togglePort(port); });
    for (PaneSide side : paneSides) {
        const std::size_t index = indexOf(side);
        connect(m_toolBar->paneSelectors[index], &QComboBox::activated, this, [this, side] { selectPaneSource(side); });
        m_logs[index] = new PaneLogSwitch(this, pane(side), m_toolBar->logBoxes[index], side);
        m_logs[index]->offerTimestamps(m_host.logTimestamps(static_cast<int>(index)), [this, index](bool on) {
            m_host.setLogTimestamps(static_cast<int>(index), on);
        });
        // toggled: by mouse, Space or accessible action alike. The program sets
        // these controls with their signals blocked.
        connect(m_toolBar->logBoxes[index], &QCheckBox::toggled, this, [this, side] { toggleLog(side); });
        // The bars' requests are handled after the bar has finished its own handling.
        SendBar* bar = sendBar(side);
        connect(bar, &SendBar::sendRequested, this, &CChildFrame::sendFromBar, Qt::QueuedConnection);
        connect(bar, &SendBar::interruptRequested, this, &CChildFrame::sendInterrupt, Qt::QueuedConnection);
        connect(bar, &SendBar::clearRequested, this, &CChildFrame::clearPane, Qt::QueuedConnection);
        pane(side)->addContextMenuAction(monitorEntry);
        pane(side)->addContextMenuAction(scriptEntry);
        connect(pane(side), &CTerminalView::paneFocused, this,
                [this](CTerminalView* focused) {
                    m_lastFocusedPane = focused;
                    focusActivePane();
                },
                Qt::QueuedConnection);
    }
    m_toolBar->enableCommands(false);
    new FocusRegions(this);  // F6 / Shift+F6 between the tool bar and the send bars
}

CChildFrame::~CChildFrame()
{
    // At program end the frame is destroyed without a close request. The
    // engine stops its reader and releases the port; closing never sends the
    // hang-up. The views stop reading the contents before they go.
    RepaintTick::shared().leave(this);
    hideDialWait();
    m_script.reset();
    m_engine.reset();
    for (PaneSide side : paneSides)
        pane(side)->setContent(nullptr);
}

CTerminalView* CChildFrame::pane(PaneSide side) const
{
    return m_area->pane(side);
}

SendBar* CChildFrame::sendBar(PaneSide side) const
{
    return m_area->bar(side);
}

PaneSide CChildFrame::sideOfBar(const SendBar* bar) const
{
    return m_area->sideOfBar(bar);
}

void CChildFrame::openConnection(const std::string& portName)
{
    if (portName.empty())
        return;
    m_portName = portName;
    switch (m_engine->openConnection(portName)) {
    case ConnectionEngine::OpenResult::NoSettings:
        return;  // no line settings: the window stays, without a port
    case ConnectionEngine::OpenResult::Failed:
        failedToOpen();
        return;
    case ConnectionEngine::OpenResult::Opened:
        break;
    }
    for (PaneSide side : paneSides)
        pane(side)->setOwnerFrame(this);
    pane(PaneSide::Left)->setFocus();
    sendBar(PaneSide::Left)->setFocus();
}

void CChildFrame::failedToOpen()
{
    const QPointer<CChildFrame> self(this);
    tellUser(this, fromCp949(msg::portOpenFailed(m_portName)), [self] {
        if (self)
            self->frameWindow()->close();
    });
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        abandon();
        m_engine->stopReader();
        hideDialWait();
        // A question still open goes with the window; its answer would change nothing now.
        for (QDialog* dialog : findChildren<QDialog*>(Qt::FindDirectChildrenOnly))
            dialog->reject();
        RepaintTick::shared().leave(this);
        m_host.portWindowClosed(m_portName);
        emit closed(QString::fromStdString(m_portName));
    }
    event->accept();
}

void CChildFrame::abandon()
{
    m_closing = true;
    if (m_script)
        m_script->stop();
    m_engine->abandon();
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

// --- the operator's commands -------------------------------------------------

void CChildFrame::selectPaneSource(PaneSide side)
{
    m_engine->selectPaneSource(side, paneSelectionOfRow(m_toolBar->paneSelectors[indexOf(side)]->currentIndex()));
    m_activePane = side;
    m_lastFocusedPane = pane(side);  // as if the pane had been clicked
    sendBar(side)->setFocus();
}

void CChildFrame::focusActivePane()
{
    m_activePane = m_lastFocusedPane == pane(PaneSide::Right) ? PaneSide::Right : PaneSide::Left;
    sendBar(m_activePane)->setFocus();
}

void CChildFrame::sendFromBar(SendBar* bar)
{
    m_engine->sendFromPane(sideOfBar(bar), toCp949(bar->takeText()));
    bar->setFocus();
}

void CChildFrame::sendInterrupt(SendBar* bar)
{
    m_engine->sendInterrupt(sideOfBar(bar));
}

void CChildFrame::clearPane(SendBar* bar)
{
    m_area->clearPane(sideOfBar(bar));
}

void CChildFrame::togglePort(int port)
{
    m_engine->togglePort(port, m_toolBar->portToggles[port]->isChecked());
}

void CChildFrame::toggleLog(PaneSide side)
{
    const QPointer<CChildFrame> self(this);
    m_logs[indexOf(side)]->toggle(m_engine->paneSelection(side), [self] { return !self || self->m_closing; });
}

void CChildFrame::showLinkMonitor()
{
    if (!m_monitor)
        m_monitor = new LinkMonitorWindow(m_engine->monitorLog(), this);
    m_monitor->showBeside(frameWindow());
}

// --- what the connection shows and asks --------------------------------------

void CChildFrame::setDocumentTitle(const std::string& title)
{
    setWindowTitle(fromCp949(title));
    setAccessibleName(windowTitle());
    if (QWidget* window = frameWindow(); window != this) {
        window->setWindowTitle(windowTitle());
        window->setAccessibleName(windowTitle());
    }
}

void CChildFrame::showConnected(bool connected)
{
    if (m_script)
        m_script->connectionShown(connected);
    m_toolBar->showConnected(connected);
    m_toolBar->enableCommands(m_engine->isConnected());
}

void CChildFrame::showPaneSources(const std::array<int, 2>& selections)
{
    for (PaneSide side : paneSides)
        m_toolBar->paneSelectors[indexOf(side)]->setCurrentIndex(rowOfPaneSelection(selections[indexOf(side)]));
}

void CChildFrame::releasePortToggles(int port)
{
    m_toolBar->releasePortToggles(port);
}

void CChildFrame::pressPortToggle(int port)
{
    m_toolBar->pressPortToggle(port);
}

void CChildFrame::showCountdown(const std::string& text)
{
    if (m_waitWindow)
        m_waitWindow->setCountdown(fromCp949(text));
    m_toolBar->enableCommands(m_engine->isConnected(), !text.empty());
}

void CChildFrame::showDialWait()
{
    m_waitWindow = new DialWaitDialog(this);
    connect(m_waitWindow, &DialWaitDialog::cancelled, this, [this] { m_engine->cancelDial(); },
            Qt::QueuedConnection);
    m_waitWindow->showCentred();
}

void CChildFrame::hideDialWait()
{
    if (!m_waitWindow)
        return;
    m_waitWindow->disconnect(this);
    m_waitWindow->hide();
    m_waitWindow->deleteLater();
    m_waitWindow = nullptr;
}

void CChildFrame::showOutputHeld(bool held)
{
    m_toolBar->showOutputHeld(held);
}

void CChildFrame::monitorRowAdded()
{
    if (m_monitor)
        m_monitor->rowsAdded();
}

void CChildFrame::choosePhoneEntry(QuestionId id)
{
    const QPointer<CChildFrame> self(this);
    connectionDialogs().choosePhoneEntry(this, [self, id](const std::optional<PhoneEntry>& entry) {
        if (self)
            self->m_engine->answerPhoneEntry(id, entry);
    });
}

void CChildFrame::askLogin(QuestionId id, const std::string& caption, const std::string& userId,
                           const std::string& password)
{
    const QPointer<CChildFrame> self(this);
    connectionDialogs().askLogin(this, fromCp949(caption), userId, password,
                                 [self, id](const std::optional<LoginAnswer>& answer) {
                                     if (self)
                                         self->m_engine->answerLogin(id, answer);
                                 });
}

void CChildFrame::askPortSettings(QuestionId id, int initialPort,
                                  const std::array<std::string, remotePortCount>& statusTexts)
{
    const QPointer<CChildFrame> self(this);
    connectionDialogs().askRemotePortSettings(this, initialPort, statusTexts,
                                              [self, id](const std::optional<RemotePortAnswer>& answer) {
                                                  if (self)
                                                      self->m_engine->answerPortSettings(id, answer);
                                              });
}

void CChildFrame::receivedTaken()
{
    // While text keeps coming, the next lines are taken on the repaint tick,
    // which runs anyway, instead of waking the window thread once more.
    RepaintTick::shared().join(this, [this] { return m_engine->takeWaiting(); });
}

void CChildFrame::replyReceived(const ReplyOutcome& outcome, RequestKind kind)
{
    if (m_script)
        m_script->replyReceived(outcome, kind);
}

void CChildFrame::hangUpFinished()
{
    if (m_script)
        m_script->hangUpFinished();
}

void CChildFrame::lineLost()
{
    if (m_script)
        m_script->lineLost();
}

// --- scripts -----------------------------------------------------------------

void CChildFrame::chooseScript()
{
    if (m_script || m_closing)
        return;
    const QPointer<CChildFrame> self(this);
    const auto askForFile = [self] {
        if (!self)
            return;
        connectionDialogs().askScriptPath(self, QString::fromStdString(dataDirectory()), [self](const QString& path) {
            if (self && !path.isEmpty())
                self->runScript(path);
        });
    };
    const std::vector<std::string> recent = m_host.recentScripts();
    if (recent.empty()) {
        askForFile();
        return;
    }
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const std::string& script : recent) {
        const QString path = QString::fromStdString(script);
        QAction* entry = menu->addAction(QFileInfo(path).fileName(), this, [this, path] { runScript(path); });
        entry->setToolTip(path);
    }
    menu->addSeparator();
    menu->addAction(QStringLiteral("다른 스크립트..."), this, askForFile);
    menu->popup(m_toolBar->scriptButton->mapToGlobal(QPoint(0, m_toolBar->scriptButton->height())));
}

void CChildFrame::runScript(const QString& path)
{
    if (m_script || m_closing)
        return;
    const std::string utf8 = path.toStdString();
    auto loaded = loadScriptFile(pathFromUtf8(utf8));
    if (const ScriptError* error = std::get_if<ScriptError>(&loaded)) {
        tellUser(this, QStringLiteral("스크립트를 실행할 수 없습니다.\n")
                           + fromCp949(error->file + ":" + std::to_string(error->line) + ": " + error->message));
        return;
    }
    m_host.scriptRun(utf8);
    m_scriptName = QFileInfo(path).fileName();
    const ConnectionDialogue& dialogue = m_engine->dialogue();
    const ScriptHostValues values{dialogue.unitName(), dialogue.unitNumber(), dialogue.userId(), dialogue.password()};
    const QPointer<CChildFrame> self(this);
    m_script = std::make_unique<ConnectionScript>(
        *m_engine, QtEventLoop::shared(), std::move(std::get<Script>(loaded)), values,
        [self](const std::string& line) {
            if (self)
                self->m_toolBar->showScript(true, self->m_scriptName + QStringLiteral(": ") + fromCp949(line));
        },
        [self](const ScriptOutcome& outcome) {
            if (!self)
                return;
            self->m_toolBar->showScript(false, self->m_scriptName + QStringLiteral(": ") + scriptOutcomeText(outcome));
            // The script goes once it has finished telling.
            QMetaObject::invokeMethod(self, [self] { self->m_script.reset(); }, Qt::QueuedConnection);
        });
    m_toolBar->showScript(true, m_scriptName);
    m_script->start();
}

void CChildFrame::stopScript()
{
    if (m_script)
        m_script->stop();
}

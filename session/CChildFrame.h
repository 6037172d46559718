#pragma once
// A connection window: owns one local COM port and the modem behind it, dials
// and logs in to a KR-V, exchanges link frames with it and shows the traffic in
// two panes. Its ConnectionDialogue makes the decisions; the window carries
// them out with its port, widgets, waits and dialogs. Everything here runs on
// the window thread except the reader thread, which splits received bytes into
// frames and lines and echoes local traffic.

#include <QPointer>
#include <QWidget>

#include <array>
#include <atomic>
#include <string>
#include <string_view>
#include <memory>

#include "serial/SerialPort.h"
#include "session/ConnectionDialogue.h"
#include "session/DialWaitDialog.h"
#include "session/LineOutput.h"
#include "session/LinkMonitorWindow.h"
#include "session/PaneArea.h"
#include "session/PaneLogSwitch.h"
#include "session/ConnectionReader.h"

class CTerminalView;
class ConnectionHost;
class ConnectionToolBar;
class SendBar;

class CChildFrame : public QWidget {
    Q_OBJECT
public:
    enum Pane { LeftPane = 0, RightPane = 1 };

    explicit CChildFrame(ConnectionHost& host, QWidget* parent = nullptr);
    ~CChildFrame() override;

    // Takes the port: opens it with its line settings, initialises the modem
    // and starts the reader 100 ms later.
    void openConnection(const std::string& portName);
    // Stops where it is (close request, program end): what waits for the line
    // is dropped, a wait in progress ends and nothing more is sent.
    void abandon();

    // Link frames and the general send primitive.
    void sendText(const std::string& text, int port, bool cr) { perform(m_dialogue.sendText(text, port, cr, carrier())); }
    void sendFrame(const std::string& payload, int port) { perform(m_dialogue.sendFrame(payload, port, carrier())); }
    void onFrameReceived(const std::string& frame);
    void onLineReceived(const std::string& line);

    // Connection lifecycle.
    void dial() { perform(m_dialogue.dial()); }
    void handleModemLine(const std::string& line) { perform(m_dialogue.modemLine(line, carrier())); }
    void beginManualDial(const std::string& number) { perform(m_dialogue.beginManualDial(number)); }
    void startLogin() { perform(m_dialogue.startLogin(carrier())); }
    void sendLoginPassword() { perform(m_dialogue.sendLoginPassword(carrier())); }
    void retryLogin() { perform(m_dialogue.retryLogin()); }
    void hangUp() { perform(m_dialogue.hangUp()); }
    void cancelDial() { perform(m_dialogue.cancelDial(carrier())); }
    void closeDialWait() { perform(m_dialogue.closeDialWait()); }
    void markDisconnected() { perform(m_dialogue.markDisconnected()); }
    void setDocumentTitle(const std::string& title);

    // Remote port commands and pane routing.
    void selectPaneSource(Pane pane);
    void focusActivePane();
    void sendFromBar(SendBar* bar);
    void sendLocalText(const std::string& text) { perform(m_dialogue.sendLocalText(text, carrier())); }
    void sendPortText(int port, const std::string& text) { perform(m_dialogue.sendPortText(port, text, carrier())); }
    void sendInterrupt(SendBar* bar) { perform(m_dialogue.sendInterrupt(m_area->selection[paneOfBar(bar)], carrier())); }
    void clearPane(SendBar* bar) { m_area->clearPane(paneOfBar(bar)); }
    void togglePort(int port) { perform(m_dialogue.togglePort(port, portToggled(port), carrier())); }
    void configureRemotePort() { perform(m_dialogue.configureRemotePort()); }
    void changeIdAndPassword() { perform(m_dialogue.changeIdAndPassword()); }
    void sendPasswordChange() { perform(m_dialogue.sendPasswordChange(carrier())); }

    // Pane output and logs.
    void showPortData(int port, const std::string& text) { m_area->showPortData(port, text); }
    void showPortMessage(int port, const std::string& text) { m_area->showPortMessage(port, text); }
    void showInAllPanes(const std::string& text);
    // The link monitor of this window, made at its first showing.
    void showLinkMonitor();
    LinkMonitorWindow* linkMonitor() const { return m_monitor; }
    void toggleLog(Pane pane) { m_logs[pane]->toggle(m_area->selection[pane], [this] { return m_closing; }); }

    // State, for the main frame and for tests.
    const ConnectionDialogue& dialogue() const { return m_dialogue; }
    bool isConnected() const { return m_dialogue.isConnected(); }
    bool isDialling() const { return m_dialogue.isDialling(); }
    bool isReaderRunning() const { return m_reader->isRunning(); }
    int paneSelection(Pane pane) const { return m_area->selection[pane].load(); }
    QString caption() const { return windowTitle(); }
    CTerminalView* pane(Pane pane) const { return m_panes[pane]; }
    SendBar* sendBar(Pane pane) const { return m_bars[pane]; }
    ConnectionToolBar* toolBar() const { return m_toolBar; }
    DialWaitDialog* dialWaitWindow() const { return m_waitWindow; }
    SerialPort& serialPort() { return m_port; }

signals:
    // The window has been closed by the operator, its port button or a failed open.
    void closed(const QString& portName);

protected:
    void closeEvent(QCloseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    // Carries the actions out in order; false when the window was closed or
    // destroyed on the way, which ends the list.
    bool perform(const DialogueActions& actions);
    void carryOut(const DialogueAction& action);
    void ask(const DialogueAction& action);
    bool portToggled(int port) const;
    bool carrier() { return m_port.carrierDetected(); }
    bool monitoring() const { return m_monitor && m_monitor->isRecording(); }

    void onLineLost() { perform(m_dialogue.lineLost()); }
    void resetPaneSelections();
    Pane paneOfBar(const SendBar* bar) const { return static_cast<Pane>(m_area->sideOfBar(bar)); }
    void failedToOpen();
    QWidget* frameWindow();

    ConnectionHost& m_host;
    ConnectionDialogue m_dialogue;
    ConnectionToolBar* m_toolBar = nullptr;
    PaneArea* m_area = nullptr;
    std::array<CTerminalView*, 2> m_panes{};
    std::array<SendBar*, 2> m_bars{};
    std::array<PaneLogSwitch*, 2> m_logs{};
    QPointer<DialWaitDialog> m_waitWindow;
    QPointer<LinkMonitorWindow> m_monitor;

    std::string m_portName;
    bool m_closing = false;
    Pane m_activePane = LeftPane;
    CTerminalView* m_lastFocusedPane = nullptr;

    SerialPort m_port;
    LineOutput m_output{m_port, nullptr};  // goes before the port
    std::unique_ptr<ConnectionReader> m_reader;  // after the port: ends before it
};

#pragma once
// A connection window: the front end of one ConnectionEngine. It draws what
// the connection shows (caption, tool bar, panes, the dial wait window, the
// link monitor), hands the operator's commands and typing to it, and puts its
// questions to the operator as window-modal dialogs whose answers go back
// later. It never waits: the engine's pauses are timers, and nothing is held
// while a dialog is up.
//
// Threads: everything here runs on the window thread; the engine's reader
// thread writes into the panes' contents, which the views read on their
// repaint tick.

#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>
#include <string>

#include "display/PaneContent.h"
#include "session/ConnectionEngine.h"
#include "session/ConnectionFrontEnd.h"
#include "session/ConnectionScript.h"
#include "session/DialWaitDialog.h"
#include "session/LinkMonitorWindow.h"
#include "session/PaneSide.h"

class CTerminalView;
class ConnectionHost;
class ConnectionToolBar;
class PaneArea;
class PaneLogSwitch;
class SendBar;

class CChildFrame : public QWidget, private ConnectionFrontEnd {
    Q_OBJECT
public:
    explicit CChildFrame(ConnectionHost& host, QWidget* parent = nullptr);
    ~CChildFrame() override;

    // Takes the port: opens it with its line settings, initialises the modem
    // and starts the reader 100 ms later. A port that fails to open is told,
    // and the window closes once the message is dismissed.
    void openConnection(const std::string& portName);
    // Stops where it is (close request, program end): what waits for the line
    // is dropped, a pause or question in progress ends and nothing more is sent.
    void abandon();

    // The operator's commands.
    void selectPaneSource(PaneSide side);
    void focusActivePane();
    void sendFromBar(SendBar* bar);
    void sendInterrupt(SendBar* bar);
    void clearPane(SendBar* bar);
    void togglePort(int port);
    void toggleLog(PaneSide side);
    // The link monitor of this window: it lists the link since the window opened.
    void showLinkMonitor();
    // The window's caption (code page 949).
    void setDocumentTitle(const std::string& title);
    // "스크립트 실행...": the recent scripts to choose from, or the file dialog.
    void chooseScript();
    // Reads and checks the script (a fault is told, and nothing runs), then
    // runs it on this window's connection. UTF-8 path.
    void runScript(const QString& path);
    // "중지": the script stops at once; nothing more is sent, the connection stays.
    void stopScript();
    const ConnectionScript* script() const { return m_script.get(); }

    // State, for the main frame and for tests.
    ConnectionEngine& engine() { return *m_engine; }
    const ConnectionDialogue& dialogue() const { return m_engine->dialogue(); }
    bool isConnected() const { return m_engine->isConnected(); }
    bool isDialling() const { return m_engine->isDialling(); }
    bool isReaderRunning() const { return m_engine->isReaderRunning(); }
    int paneSelection(PaneSide side) const { return m_engine->paneSelection(side); }
    QString caption() const { return windowTitle(); }
    CTerminalView* pane(PaneSide side) const;
    SendBar* sendBar(PaneSide side) const;
    ConnectionToolBar* toolBar() const { return m_toolBar; }
    DialWaitDialog* dialWaitWindow() const { return m_waitWindow; }
    LinkMonitorWindow* linkMonitor() const { return m_monitor; }
    SerialPort& serialPort() { return m_engine->port(); }

signals:
    // The window has been closed by the operator, its port button or a failed open.
    void closed(const QString& portName);

protected:
    void closeEvent(QCloseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    // ConnectionFrontEnd: what the connection shows and asks.
    void setTitle(const std::string& title) override { setDocumentTitle(title); }
    void showConnected(bool connected) override;
    void showPaneSources(const std::array<int, 2>& selections) override;
    void releasePortToggles(int port) override;
    void pressPortToggle(int port) override;
    void showCountdown(const std::string& text) override;
    void showDialWait() override;
    void hideDialWait() override;
    void showOutputHeld(bool held) override;
    void monitorRowAdded() override;
    void choosePhoneEntry(QuestionId id) override;
    void askLogin(QuestionId id, const std::string& caption, const std::string& userId,
                  const std::string& password) override;
    void askPortSettings(QuestionId id, int initialPort,
                         const std::array<std::string, remotePortCount>& statusTexts) override;
    void receivedTaken() override;
    void replyReceived(const ReplyOutcome& outcome, RequestKind kind) override;
    void hangUpFinished() override;
    void lineLost() override;

    void failedToOpen();
    QWidget* frameWindow();
    PaneSide sideOfBar(const SendBar* bar) const;

    ConnectionHost& m_host;
    ConnectionToolBar* m_toolBar = nullptr;
    PaneArea* m_area = nullptr;
    std::array<PaneLogSwitch*, 2> m_logs{};
    QPointer<DialWaitDialog> m_waitWindow;
    QPointer<LinkMonitorWindow> m_monitor;

    std::string m_portName;
    bool m_closing = false;
    PaneSide m_activePane = PaneSide::Left;
    CTerminalView* m_lastFocusedPane = nullptr;

    // The panes' contents go after the engine, whose reader writes into them.
    std::array<std::unique_ptr<PaneContent>, 2> m_contents;
    std::unique_ptr<ConnectionEngine> m_engine;
    std::unique_ptr<ConnectionScript> m_script;  // goes before the engine it runs on
    QString m_scriptName;
};

#pragma once
// A connection window: owns one local COM port and the modem behind it, dials
// and logs in to a KR-V, exchanges link frames with it and shows the traffic in
// two panes. Everything here runs on the window thread except the reader thread,
// which splits received bytes into frames and lines and echoes local traffic.

#include <QPointer>
#include <QWidget>

#include <array>
#include <atomic>
#include <string>
#include <string_view>
#include <thread>

#include "serial/SerialPort.h"
#include "session/DialWaitDialog.h"
#include "session/ReaderHandOff.h"
#include "session/RequestKind.h"

class CTerminalView;
class ConnectionHost;
class ConnectionToolBar;
class DialWaitDialog;
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

    // Link frames and the general send primitive.
    void sendText(const std::string& text, int port, bool appendCr);
    void sendFrame(const std::string& payload, int port);
    void onFrameReceived(const std::string& frame);
    void onLineReceived(const std::string& line);

    // Connection lifecycle.
    void dial();
    void handleModemLine(const std::string& line);
    void beginManualDial(const std::string& number);
    void startLogin();
    void sendLoginPassword();
    void retryLogin();
    void hangUp();
    void cancelDial();
    void closeDialWait();
    void markDisconnected();
    void setDocumentTitle(const std::string& title);

    // Remote port commands and pane routing.
    void selectPaneSource(Pane pane);
    void focusActivePane();
    void sendFromBar(SendBar* bar);
    void sendLocalText();
    void sendPortText(int port);
    void sendInterrupt(SendBar* bar);
    void clearPane(SendBar* bar);
    void togglePort(int port);
    void configureRemotePort();
    void changeIdAndPassword();
    void sendPasswordChange();

    // Pane output and logs. echoLocal runs on the reader thread; it takes a
    // run of received bytes outside frames, in arrival order.
    void echoLocal(std::string_view bytes);
    void showPortData(int port, const std::string& text);
    void showPortMessage(int port, const std::string& text);
    void showInAllPanes(const std::string& text);
    void toggleLog(Pane pane);

    // State, for the main frame and for tests.
    const std::string& portName() const { return m_portName; }
    bool isConnected() const { return m_connected; }
    bool isDialling() const { return m_dialling; }
    bool isReaderRunning() const { return m_reader.joinable(); }
    RequestKind requestKind() const { return m_requestKind; }
    int paneSelection(Pane pane) const { return m_selection[pane].load(); }
    const std::string& portStatusText(int port) const { return m_portStatus[port]; }
    const std::string& userId() const { return m_userId; }
    const std::string& connectedTitle() const { return m_connectedTitle; }
    const std::string& password() const { return m_password; }
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
    void buildWindow();
    void startReader();
    void stopReader();
    void readerLoop();
    void takeReceived();
    void onLineLost();
    void updateCommands();
    void setConnected(bool connected);
    void resetPaneSelections();
    Pane paneOfBar(const SendBar* bar) const;
    void failedToOpen();
    QWidget* frameWindow();

    ConnectionHost& m_host;
    ConnectionToolBar* m_toolBar = nullptr;
    std::array<CTerminalView*, 2> m_panes{};
    std::array<SendBar*, 2> m_bars{};
    QPointer<DialWaitDialog> m_waitWindow;

    std::string m_portName;
    std::string m_baseTitle;
    std::string m_connectedTitle;
    std::string m_userId;
    std::string m_password;
    std::string m_pendingPayload;
    RequestKind m_requestKind = RequestKind::PortData;
    bool m_connected = false;
    bool m_dialling = false;
    bool m_closing = false;
    Pane m_activePane = LeftPane;
    CTerminalView* m_lastFocusedPane = nullptr;
    std::string m_localText;
    std::array<std::string, 4> m_portTexts;
    std::array<std::string, 4> m_portStatus;

    // Read by the reader thread in echoLocal; written on the window thread.
    std::array<std::atomic<int>, 2> m_selection{-1, -1};

    SerialPort m_port;
    std::thread m_reader;
    std::atomic<bool> m_runFlag{true};
    ReaderHandOff m_received;  // frames and lines from the reader thread
};

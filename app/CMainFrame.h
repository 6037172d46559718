#pragma once
// The main frame: the MDI window holding the connection windows, its dialog bar
// of port buttons and IP controls, the menus, the port table and dial settings,
// and the IP address book.

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/LineSettingsFile.h"
#include "directory/IpBook.h"
#include "session/ConnectionHost.h"

class CChildFrame;
class QComboBox;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPushButton;
class QToolBar;

class CMainFrame : public QMainWindow, public ConnectionHost {
    Q_OBJECT
public:
    // discoveredPorts: the port names discovery found, in order; dataDirectory:
    // where pinfo.dat, phone.dat and ip.dat live (ending with '/').
    CMainFrame(const std::vector<std::string>& discoveredPorts, std::string dataDirectory, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // ConnectionHost
    std::optional<PortSettings> findPortSettings(const std::string& portName) const override;
    std::string portSettingsText(const std::string& portName) const override;
    DialSettings dialSettings() const override { return m_dial; }
    bool logTimestamps(int pane) const override;
    void setLogTimestamps(int pane, bool on) override;
    std::vector<std::string> recentScripts() const override { return m_recentScripts; }
    void scriptRun(const std::string& path) override;
    void portWindowClosed(const std::string& portName) override;

    // A new connection window for the port, opened at once.
    CChildFrame* openConnectionWindow(const std::string& portName);

    // Commands.
    void portButtonClicked(int slot);
    void editLocalPortSettings();
    void editDialSettings();
    void showAbout();
    // Arranges the connection windows side by side in one row.
    void tileSideBySide();

    // IP address book.
    void loadIpBook();
    // True when saved; a failure is told over messageParent (the frame when null).
    bool saveIpBook(QWidget* messageParent = nullptr);
    void fillIpCombo();
    IpEntry getSelectedIpEntry() const;
    void editIpBook();
    void launchConsole();
    void launchPort(int remotePort);
    void launchSession(const std::string& address, int tcpPort, const std::string& name);

    // How a launch is started; tests may watch it. Arguments: program, arguments,
    // working directory; gives why the program could not be started, or nothing.
    using SessionStarter = std::function<QString(const QString&, const QStringList&, const QString&)>;
    void setSessionStarter(SessionStarter starter) { m_sessionStarter = std::move(starter); }

    // State, for tests.
    QPushButton* portButton(int slot) const { return m_portButtons[slot]; }
    QComboBox* ipSelector() const { return m_ipSelector; }
    QMdiArea* mdiArea() const { return m_mdi; }
    const PortTable& portTable() const { return m_ports; }
    IpBook& ipBook() { return m_ipBook; }
    CChildFrame* connectionWindow(int slot) const;
    // Connection windows with a link up or a dial going on.
    int liveConnectionCount() const;
    bool templateRegistered() const { return m_templateRegistered; }
    // pinfo.dat and ip.dat when they could not be read at start (defaults used).
    const std::vector<FileProblem>& unreadableFiles() const { return m_unreadableFiles; }

protected:
    void changeEvent(QEvent* event) override;
    // The program ends: connection windows stop where they are (a hang-up
    // wait included) and send nothing more; they are destroyed with the frame.
    // While any has a link up or a dial going on, the operator is asked first.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildDialogBar();
    void updateMenus();
    // The open connection windows under the arrangement commands, the active one checked.
    void fillWindowMenu();
    // "EmuKR-V - <label>" of the current connection window, "EmuKR-V" without one.
    void updateTitle();
    // The window's caption, with its port in front where the caption does not
    // start with it ("SIM1 - 연결됨:서울1(5551234)").
    QString windowLabel(const QMdiSubWindow* window) const;
    // Fully inside the visible part of the area, as far as the window can be.
    void placeNewWindow(QMdiSubWindow* window);
    std::string filePath(const char* name) const;

    std::string m_dataDirectory;
    PortTable m_ports;
    DialSettings m_dial;
    PaneLogOptions m_paneLogs;
    std::vector<std::string> m_recentScripts;
    IpBook m_ipBook;
    IpBook m_savedIpBook;  // what ip.dat holds, as far as this run knows
    bool m_templateRegistered = false;
    std::vector<FileProblem> m_unreadableFiles;

    QMdiArea* m_mdi = nullptr;
    QToolBar* m_dialogBar = nullptr;
    std::array<QPushButton*, portSlotCount> m_portButtons{};
    std::array<QPointer<QMdiSubWindow>, portSlotCount> m_windows;
    QComboBox* m_ipSelector = nullptr;
    QMenu* m_windowMenu = nullptr;
    QList<QAction*> m_windowListActions;
    bool m_exitAsked = false;
    bool m_exitConfirmed = false;
    QAction* m_aboutAction = nullptr;
    SessionStarter m_sessionStarter;
};

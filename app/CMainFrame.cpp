#include "app/CMainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

#include "app/AppIcon.h"
#include "app/CEmuVOLADoc.h"
#include "app/ExitKeyGuard.h"
#include "base/AppPaths.h"
#include "base/QtText.h"
#include "directory/DialSettingsDialog.h"
#include "directory/FileFaultText.h"
#include "directory/IpBookDialog.h"
#include "directory/LocalPortSettingsDialog.h"
#include "directory/PortNumberDialog.h"
#include "directory/UserPrompts.h"
#include "session/CChildFrame.h"

CMainFrame::CMainFrame(const std::vector<std::string>& discoveredPorts, std::string dataDirectory, QWidget* parent)
    : QMainWindow(parent)
    , m_dataDirectory(std::move(dataDirectory))
    , m_ports(portTableFromNames(discoveredPorts))
{
    setWindowTitle(QStringLiteral("EmuKR-V"));
    setWindowIcon(appIcon());
    m_mdi = new QMdiArea(this);
    // A window larger than the area (several side by side on a small screen)
    // can still be scrolled to.
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    new ExitKeyGuard(this);
    buildMenus();
    buildDialogBar();

    if (const FileFault fault = readLineSettings(filePath("pinfo.dat"), m_ports, m_dial); !fault.ok())
        m_unreadableFiles.push_back({filePath("pinfo.dat"), fault});
    m_paneLogs = readPaneLogOptions(filePath("pinfo.dat"));
    m_recentScripts = readRecentScripts(filePath("pinfo.dat"));
    for (int slot = 0; slot < portSlotCount; ++slot) {
        const std::string& name = m_ports[slot].portName;
        m_portButtons[slot]->setText(name.empty() ? QStringLiteral("not use") : fromCp949(portNameLabel(name)));
        m_portButtons[slot]->setEnabled(!name.empty());
    }
    loadIpBook();

    connect(m_mdi, &QMdiArea::subWindowActivated, this, &CMainFrame::updateMenus);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &CMainFrame::updateTitle);
    m_sessionStarter = [](const QString& program, const QStringList& arguments, const QString& folder) {
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        process.setWorkingDirectory(folder);
        return process.startDetached() ? QString() : process.errorString();
    };
    updateMenus();
}

CMainFrame::~CMainFrame()
{
    // Connection windows go first: each stops its reader and closes its port.
    for (QMdiSubWindow* window : m_mdi->subWindowList())
        delete window;
    m_ipBook.clear();
}

std::string CMainFrame::filePath(const char* name) const
{
    return m_dataDirectory + name;
}

void CMainFrame::buildMenus()
{
    QMenu* program = menuBar()->addMenu(QStringLiteral("프로그램(&P)"));
    m_aboutAction = program->addAction(QStringLiteral("대하여... "), this, &CMainFrame::showAbout);
    program->addSeparator();
    QAction* exit = program->addAction(QStringLiteral("종료"), this, &QWidget::close);
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    exit->setShortcutContext(Qt::ApplicationShortcut);

    QMenu* settings = menuBar()->addMenu(QStringLiteral("환경설정(&C)"));
    settings->addAction(QStringLiteral("로컬포트설정(&L)"), this, &CMainFrame::editLocalPortSettings);
    settings->addAction(QStringLiteral("전화걸기설정(&D)"), this, &CMainFrame::editDialSettings);

    m_windowMenu = menuBar()->addMenu(QStringLiteral("창(&W)"));
    m_windowMenu->addAction(QStringLiteral("계단식"), m_mdi, &QMdiArea::cascadeSubWindows);
    m_windowMenu->addAction(QStringLiteral("바둑판식"), this, &CMainFrame::tileSideBySide);
    connect(m_windowMenu, &QMenu::aboutToShow, this, &CMainFrame::fillWindowMenu);
}

void CMainFrame::fillWindowMenu()
{
    qDeleteAll(m_windowListActions);
    m_windowListActions.clear();
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList();  // in the order opened
    if (windows.isEmpty())
        return;
    m_windowListActions << m_windowMenu->addSeparator();
    for (int i = 0; i < windows.size(); ++i) {
        const QPointer<QMdiSubWindow> window = windows[i];
        QString label = windowLabel(window);
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        // Numbered as the keyboard picks them: &1 to &9.
        const QString number = i < 9 ? QStringLiteral("&%1 ").arg(i + 1) : QStringLiteral("%1 ").arg(i + 1);
        QAction* entry = m_windowMenu->addAction(number + label);
        entry->setCheckable(true);
        entry->setChecked(window == m_mdi->currentSubWindow());
        connect(entry, &QAction::triggered, this, [this, window] {
            if (!window)
                return;
            if (window->isMinimized())
                window->showNormal();
            m_mdi->setActiveSubWindow(window);
        });
        m_windowListActions << entry;
    }
}

QString CMainFrame::windowLabel(const QMdiSubWindow* window) const
{
    const QString caption = window->windowTitle();
    for (int slot = 0; slot < portSlotCount; ++slot) {
        if (m_windows[slot] != window)
            continue;
        const QString port = fromCp949(portNameLabel(m_ports[slot].portName));
        const QString prefix = port + QStringLiteral(" - ");
        return port.isEmpty() || caption.startsWith(prefix) ? caption : prefix + caption;
    }
    return caption;
}

void CMainFrame::tileSideBySide()
{
    // Side by side in one row, each the full height of the area.
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : m_mdi->subWindowList()) {
        if (window->isVisible() && !window->isMinimized())
            windows << window;
    }
    if (windows.isEmpty())
        return;
    const QRect area = m_mdi->viewport()->rect();
    const int count = static_cast<int>(windows.size());
    const int width = area.width() / count;
    for (int i = 0; i < count; ++i) {
        windows[i]->showNormal();
        const int right = i == count - 1 ? area.right() + 1 : (i + 1) * width;
        windows[i]->setGeometry(i * width, 0, right - i * width, area.height());
    }
}

void CMainFrame::updateMenus()
{
    // The window menu, and the About item without its trailing blank, belong
    // to the connection windows' menu bar: shown while one is active.
    const bool childActive = m_mdi->activeSubWindow() != nullptr;
    m_windowMenu->menuAction()->setVisible(childActive);
    m_aboutAction->setText(childActive ? QStringLiteral("대하여...") : QStringLiteral("대하여... "));
}

void CMainFrame::updateTitle()
{
    // The current window stays named while another program is active.
    if (!m_mdi)
        return;  // still being built
    const QMdiSubWindow* current = m_mdi->currentSubWindow();
    const QString title = current ? QStringLiteral("EmuKR-V - ") + windowLabel(current) : QStringLiteral("EmuKR-V");
    if (windowTitle() != title)
        setWindowTitle(title);
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // A maximised connection window writes its own form of the title here;
    // ours is put back.
    if (event->type() == QEvent::WindowTitleChange)
        updateTitle();
}

int CMainFrame::liveConnectionCount() const
{
    int count = 0;
    for (QMdiSubWindow* window : m_mdi->subWindowList()) {
        if (const auto* frame = qobject_cast<const CChildFrame*>(window->widget()))
            count += frame->isConnected() || frame->isDialling() ? 1 : 0;
    }
    return count;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // Asked once. 예 closes again from the event loop: a close started inside
    // this one would be ignored.
    if (const int live = liveConnectionCount(); live > 0 && !m_exitConfirmed) {
        event->ignore();
        if (m_exitAsked)
            return;
        m_exitAsked = true;
        const QString question = QStringLiteral("연결된 창이 %1개 있습니다. 연결을 끊고 종료하시겠습니까?").arg(live);
        askUserThen(this, question, false, [this](PromptAnswer answer) {
            m_exitAsked = false;
            if (answer != PromptAnswer::Yes)
                return;
            m_exitConfirmed = true;
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        });
        return;
    }
    for (QMdiSubWindow* window : m_mdi->subWindowList()) {
        if (auto* frame = qobject_cast<CChildFrame*>(window->widget()))
            frame->abandon();
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::buildDialogBar()
{
    m_dialogBar = addToolBar(QStringLiteral("dialog bar"));
    m_dialogBar->setMovable(false);
    m_dialogBar->setFloatable(false);
    m_dialogBar->toggleViewAction()->setVisible(false);
    const std::array<const char*, portSlotCount> initialLabels{"COM3", "COM4", "COM5", "COM6"};
    for (int slot = 0; slot < portSlotCount; ++slot) {
        m_portButtons[slot] = new QPushButton(QString::fromLatin1(initialLabels[slot]), m_dialogBar);
        m_portButtons[slot]->setCheckable(true);
        m_dialogBar->addWidget(m_portButtons[slot]);
        // Mouse, Space and the accessible "Toggle" all change the state; the
        // program's own changes are made with signals blocked.
        connect(m_portButtons[slot], &QPushButton::toggled, this, [this, slot] { portButtonClicked(slot); });
    }
    auto* local = new QPushButton(QStringLiteral("로컬COM포트설정"), m_dialogBar);
    connect(local, &QPushButton::clicked, this, &CMainFrame::editLocalPortSettings);
    m_dialogBar->addWidget(local);
    m_dialogBar->addSeparator();

    auto* ipSettings = new QPushButton(QStringLiteral("IP설정"), m_dialogBar);
    connect(ipSettings, &QPushButton::clicked, this, &CMainFrame::editIpBook);
    m_dialogBar->addWidget(ipSettings);
    m_ipSelector = new QComboBox(m_dialogBar);
    m_ipSelector->setAccessibleName(QStringLiteral("IP 주소"));
    m_ipSelector->setMinimumContentsLength(15);
    m_dialogBar->addWidget(m_ipSelector);
    auto* console = new QPushButton(QStringLiteral("콘솔"), m_dialogBar);
    connect(console, &QPushButton::clicked, this, &CMainFrame::launchConsole);
    m_dialogBar->addWidget(console);
    for (int port = 0; port < remotePortCount; ++port) {
        auto* button = new QPushButton(QStringLiteral("포트%1").arg(port), m_dialogBar);
        connect(button, &QPushButton::clicked, this, [this, port] { launchPort(port); });
        m_dialogBar->addWidget(button);
    }
}

std::optional<PortSettings> CMainFrame::findPortSettings(const std::string& portName) const
{
    if (const PortSettings* settings = ::findPortSettings(m_ports, portName))
        return *settings;
    return std::nullopt;
}

std::string CMainFrame::portSettingsText(const std::string& portName) const
{
    return ::portSettingsText(m_ports, portName);
}

void CMainFrame::portWindowClosed(const std::string& portName)
{
    for (int slot = 0; slot < portSlotCount; ++slot) {
        if (!m_ports[slot].portName.empty() && m_ports[slot].portName == portName) {
            const QSignalBlocker quiet(m_portButtons[slot]);
            m_portButtons[slot]->setChecked(false);
            return;
        }
    }
}

CChildFrame* CMainFrame::connectionWindow(int slot) const
{
    return m_windows[slot] ? qobject_cast<CChildFrame*>(m_windows[slot]->widget()) : nullptr;
}

CChildFrame* CMainFrame::openConnectionWindow(const std::string& portName)
{
    // The first connection window sets up what every later one is made from.
    m_templateRegistered = true;
    auto* window = new QMdiSubWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* frame = new CChildFrame(*this, window);
    new CEmuVOLADoc(frame);  // the window's (empty) document lives as long as it
    window->setWidget(frame);
    window->setWindowIcon(appIcon());
    m_mdi->addSubWindow(window);
    connect(window, &QWidget::windowTitleChanged, this, &CMainFrame::updateTitle);
    window->resize(m_mdi->viewport()->size() * 0.9);
    window->show();
    placeNewWindow(window);
    m_mdi->setActiveSubWindow(window);
    frame->openConnection(portName);
    return frame;
}

void CMainFrame::placeNewWindow(QMdiSubWindow* window)
{
    const QRect area = m_mdi->viewport()->rect();
    QRect geometry = window->geometry();
    if (area.contains(geometry))
        return;
    geometry.setSize(geometry.size().boundedTo(area.size()).expandedTo(window->minimumSizeHint()));
    // Moved in from where the area put it; a window larger than the area
    // keeps its top-left corner in view.
    const int lastLeft = std::max(area.left(), area.right() + 1 - geometry.width());
    const int lastTop = std::max(area.top(), area.bottom() + 1 - geometry.height());
    geometry.moveTopLeft(QPoint(std::clamp(geometry.left(), area.left(), lastLeft),
                                std::clamp(geometry.top(), area.top(), lastTop)));
    window->setGeometry(geometry);
}

void CMainFrame::portButtonClicked(int slot)
{
    const std::string& name = m_ports[slot].portName;
    if (name.empty())
        return;
    if (m_portButtons[slot]->isChecked()) {
        CChildFrame* frame = openConnectionWindow(name);
        m_windows[slot] = qobject_cast<QMdiSubWindow*>(frame->parentWidget());
    } else if (QMdiSubWindow* window = m_windows[slot]) {
        QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
    }
}

void CMainFrame::editLocalPortSettings()
{
    // The table changes only once it is saved; a failed save keeps the dialog open.
    LocalPortSettingsDialog dialog(m_ports, this);
    dialog.setCommit([this, &dialog](QWidget* shown) {
        PortTable edited = dialog.table();
        for (int slot = 0; slot < portSlotCount; ++slot) {
            // The names never change in the dialog; only the line settings do.
            edited[slot].portName = m_ports[slot].portName;
        }
        const std::string path = filePath("pinfo.dat");
        if (!tellSaveResult(shown, path, writePortSettings(path, edited)))
            return false;
        m_ports = edited;
        return true;
    });
    dialog.exec();
}

void CMainFrame::editDialSettings()
{
    DialSettingsDialog dialog(m_dial, this);
    dialog.setCommit([this, &dialog](QWidget* shown) {
        const DialSettings edited = dialog.settings();
        const std::string path = filePath("pinfo.dat");
        if (!tellSaveResult(shown, path, writeDialSettings(path, edited)))
            return false;
        m_dial = edited;
        return true;
    });
    dialog.exec();
}

bool CMainFrame::logTimestamps(int pane) const
{
    return (pane == 0 || pane == 1) && m_paneLogs.timestamps[static_cast<std::size_t>(pane)];
}

void CMainFrame::setLogTimestamps(int pane, bool on)
{
    if ((pane != 0 && pane != 1) || logTimestamps(pane) == on)
        return;
    PaneLogOptions edited = m_paneLogs;
    edited.timestamps[static_cast<std::size_t>(pane)] = on;
    // The option takes effect either way; a failed save is told, and the
    // choice is then kept only until the program ends.
    m_paneLogs = edited;
    const std::string path = filePath("pinfo.dat");
    tellSaveResult(this, path, writePaneLogOptions(path, edited));
}

void CMainFrame::scriptRun(const std::string& path)
{
    std::vector<std::string> edited{path};
    for (const std::string& earlier : m_recentScripts) {
        if (earlier != path && edited.size() < recentScriptLimit)
            edited.push_back(earlier);
    }
    if (edited == m_recentScripts)
        return;
    m_recentScripts = edited;
    const std::string file = filePath("pinfo.dat");
    tellSaveResult(this, file, writeRecentScripts(file, edited));
}

void CMainFrame::showAbout()
{
    QDialog about(this);
    about.setWindowTitle(QStringLiteral("About EmuKR-V"));
    auto* icon = new QLabel(&about);
    icon->setPixmap(appIcon().pixmap(48, 48));
    auto* text = new QLabel(QStringLiteral("Emulator for KR-V Version 1.0.5"), &about);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
    connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(&about);
    layout->addLayout(row);
    layout->addWidget(buttons);
    about.exec();
}

void CMainFrame::loadIpBook()
{
    FileFault fault;
    m_ipBook = readIpBook(filePath("ip.dat"), &fault);
    m_savedIpBook = m_ipBook;
    if (!fault.ok())
        m_unreadableFiles.push_back({filePath("ip.dat"), fault});
    fillIpCombo();
}

bool CMainFrame::saveIpBook(QWidget* messageParent)
{
    const std::string path = filePath("ip.dat");
    if (!tellSaveResult(messageParent ? messageParent : this, path, writeIpBook(path, m_ipBook)))
        return false;
    m_savedIpBook = m_ipBook;
    return true;
}

void CMainFrame::fillIpCombo()
{
    m_ipSelector->clear();
    for (const IpEntry& entry : m_ipBook)
        m_ipSelector->addItem(fromCp949(entry.address));
    if (m_ipSelector->count() > 0)
        m_ipSelector->setCurrentIndex(0);
}

IpEntry CMainFrame::getSelectedIpEntry() const
{
    const int line = m_ipSelector->currentIndex();
    if (line >= 0) {
        for (const IpEntry& entry : m_ipBook) {
            if (entry.index == line)
                return entry;
        }
    }
    return IpEntry{};
}

void CMainFrame::editIpBook()
{
    IpBookDialog dialog(m_ipBook, this);
    dialog.setSavedBook(m_savedIpBook);
    dialog.setCommit([this](QWidget* shown) { return saveIpBook(shown); });
    if (dialog.exec() != QDialog::Accepted)
        return;
    fillIpCombo();
}

void CMainFrame::launchConsole()
{
    const IpEntry entry = getSelectedIpEntry();
    if (entry.index < 0) {
        informUser(this, QStringLiteral("IP 주소를 선택하세요."));
        return;
    }
    launchSession(entry.address, 23, entry.name);
}

void CMainFrame::launchPort(int remotePort)
{
    const IpEntry entry = getSelectedIpEntry();
    if (entry.index < 0) {
        informUser(this, QStringLiteral("IP 주소를 선택하세요."));
        return;
    }
    PortNumberDialog dialog(7200 + remotePort, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    launchSession(entry.address, dialog.port(), entry.name);
}

void CMainFrame::launchSession(const std::string& address, int tcpPort, const std::string& name)
{
    // Address, TCP port and name as three arguments, never through a shell: a
    // blank in a name stays inside its argument.
    const QStringList arguments{fromCp949(address), QString::number(tcpPort), fromCp949(name)};
    const QString folder = QString::fromStdString(executableDirectory());
    const QString program = folder + QStringLiteral("KR-V___");
    if (const QString failure = m_sessionStarter(program, arguments, folder); !failure.isEmpty())
        informUser(this, QStringLiteral("프로그램을 시작하지 못했습니다: %1\n(%2)").arg(program, failure));
}

#include "session/PaneLogSwitch.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QSignalBlocker>

#include <mutex>

#include "base/AppPaths.h"
#include "directory/UserPrompts.h"
#include "display/CTerminalView.h"
#include "session/ConnectionDialogs.h"
#include "session/ConnectionLock.h"
#include "session/RequestKind.h"

PaneLogSwitch::PaneLogSwitch(QWidget* window, CTerminalView* pane, QCheckBox* box, char side)
    : QObject(window)
    , m_window(window)
    , m_pane(pane)
    , m_box(box)
    , m_side(side)
{
    connect(m_pane, &CVT100View::logWriteFailed, this, [this](const QString& path) {
        std::lock_guard<std::recursive_mutex> lock(connectionLock());
        m_pane->closeLog();
        const QSignalBlocker quiet(m_box);
        m_box->setChecked(false);
        informUser(m_window, QStringLiteral("로그 파일에 쓰지 못해 로그 저장을 멈췄습니다.\n%1").arg(path));
    });
}

void PaneLogSwitch::offerTimestamps(bool on, std::function<void(bool)> remember)
{
    auto* entry = new QAction(QStringLiteral("로그에 시각 기록"), this);
    entry->setCheckable(true);
    entry->setChecked(on);
    m_pane->setLogTimestamps(on);
    connect(entry, &QAction::toggled, this, [this, remember = std::move(remember)](bool checked) {
        m_pane->setLogTimestamps(checked);
        remember(checked);
    });
    m_pane->addContextMenuAction(entry);
}

void PaneLogSwitch::toggle(int selection, const std::function<bool()>& windowClosing)
{
    if (!m_box->isChecked()) {
        std::lock_guard<std::recursive_mutex> lock(connectionLock());
        m_pane->closeLog();
        return;
    }
    const QChar letter = isRemotePort(selection) ? QChar('0' + selection) : QChar('M');
    const QString proposed = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmm"))
                             + QLatin1Char('_') + QLatin1Char(m_side) + letter;
    const QPointer<PaneLogSwitch> self(this);
    const QString path =
        connectionDialogs().askLogPath(m_window, QString::fromStdString(dataDirectory()), proposed);
    if (!self || windowClosing())
        return;
    bool opened = false;
    if (!path.isEmpty()) {
        std::lock_guard<std::recursive_mutex> lock(connectionLock());
        if (m_pane->isLogOpen())
            m_pane->closeLog();
        opened = m_pane->openLog(path.toStdString());
    }
    const QSignalBlocker quiet(m_box);
    m_box->setChecked(opened);
}

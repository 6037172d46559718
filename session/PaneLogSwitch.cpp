#include "session/PaneLogSwitch.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QPointer>
#include <QSignalBlocker>

#include "base/AppPaths.h"
#include "directory/UserPrompts.h"
#include "display/CTerminalView.h"
#include "session/ConnectionDialogs.h"
#include "session/RequestKind.h"

PaneLogSwitch::PaneLogSwitch(QWidget* window, CTerminalView* pane, QCheckBox* box, PaneSide side)
    : QObject(window)
    , m_window(window)
    , m_pane(pane)
    , m_box(box)
    , m_side(side)
{
    connect(m_pane, &CVT100View::logWriteFailed, this, [this](const QString& path) {
        m_pane->content().closeLog();
        const QSignalBlocker quiet(m_box);
        m_box->setChecked(false);
        tellUser(m_window, QStringLiteral("로그 파일에 쓰지 못해 로그 저장을 멈췄습니다.\n%1").arg(path));
    });
}

void PaneLogSwitch::offerTimestamps(bool on, std::function<void(bool)> remember)
{
    auto* entry = new QAction(QStringLiteral("로그에 시각 기록"), this);
    entry->setCheckable(true);
    entry->setChecked(on);
    m_pane->content().setLogTimestamps(on);
    connect(entry, &QAction::toggled, this, [this, remember = std::move(remember)](bool checked) {
        m_pane->content().setLogTimestamps(checked);
        remember(checked);
    });
    m_pane->addContextMenuAction(entry);
}

void PaneLogSwitch::toggle(int selection, std::function<bool()> windowClosing)
{
    if (m_asking)
        return;  // the save dialog is up: its answer decides
    if (!m_box->isChecked()) {
        m_pane->content().closeLog();
        return;
    }
    const QChar letter = isRemotePort(selection) ? QChar('0' + selection) : QChar('M');
    const QString proposed = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmm"))
                             + QLatin1Char('_') + QLatin1Char(letterOf(m_side)) + letter;
    m_asking = true;
    const QPointer<PaneLogSwitch> self(this);
    connectionDialogs().askLogPath(
        m_window, QString::fromStdString(dataDirectory()), proposed,
        [self, windowClosing = std::move(windowClosing)](const QString& path) {
            if (!self)
                return;
            self->m_asking = false;
            if (windowClosing())
                return;
            bool opened = false;
            if (!path.isEmpty()) {
                PaneContent& content = self->m_pane->content();
                if (content.isLogOpen())
                    content.closeLog();
                opened = content.openLog(path.toStdString());
            }
            const QSignalBlocker quiet(self->m_box);
            self->m_box->setChecked(opened);
        });
}

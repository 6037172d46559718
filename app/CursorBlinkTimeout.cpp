#include "app/CursorBlinkTimeout.h"

#include <QApplication>
#include <QEvent>

CursorBlinkTimeout* CursorBlinkTimeout::install(std::chrono::milliseconds timeout)
{
    auto* watcher = new CursorBlinkTimeout(timeout, qApp);
    qApp->installEventFilter(watcher);
    return watcher;
}

CursorBlinkTimeout::CursorBlinkTimeout(std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent)
    , m_timeout(timeout)
    , m_lastInput(std::chrono::steady_clock::now())
    , m_flashTime(QApplication::cursorFlashTime())
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { timeIsUp(); });
    m_timer.start(m_timeout);
}

bool CursorBlinkTimeout::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        // Every input passes here once per receiving object and parent: only
        // note the time; the timer is set again when it runs out.
        m_lastInput = std::chrono::steady_clock::now();
        if (m_stopped) {
            m_stopped = false;
            QApplication::setCursorFlashTime(m_flashTime);
            m_timer.start(m_timeout);
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void CursorBlinkTimeout::timeIsUp()
{
    const auto quiet = std::chrono::steady_clock::now() - m_lastInput;
    if (quiet < m_timeout) {
        m_timer.start(std::chrono::ceil<std::chrono::milliseconds>(m_timeout - quiet));
        return;
    }
    m_stopped = true;
    // The flash time the desktop set may have changed since the start.
    m_flashTime = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0);
}

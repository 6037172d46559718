#include "session/ConnectionToolBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>

#include "session/WrappingLayout.h"

namespace {

// Two drawn pictures: a green plug for a link that is up, a grey one for none.
QPixmap connectionPicture(bool connected)
{
    QPixmap picture(28, 28);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor body = connected ? QColor(0x1f, 0x9d, 0x3a) : QColor(0x8a, 0x8a, 0x8a);
    painter.setPen(QPen(body.darker(140), 1.5));
    painter.setBrush(body);
    painter.drawEllipse(QRectF(2, 2, 24, 24));
    painter.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    if (connected) {
        painter.drawLine(QPointF(8, 14), QPointF(20, 14));
        painter.drawLine(QPointF(16, 10), QPointF(20, 14));
        painter.drawLine(QPointF(16, 18), QPointF(20, 14));
    } else {
        painter.drawLine(QPointF(9, 9), QPointF(19, 19));
        painter.drawLine(QPointF(19, 9), QPointF(9, 19));
    }
    return picture;
}

QComboBox* paneSelector(QWidget* parent, const QString& name)
{
    auto* box = new QComboBox(parent);
    box->setAccessibleName(name);
    box->addItem(QStringLiteral("로컬"));
    for (int port = 0; port < remotePortCount; ++port)
        box->addItem(QStringLiteral("포트%1").arg(port));
    return box;
}

// Controls that belong together and wrap as one.
QHBoxLayout* addGroup(QLayout* row, QWidget* toolBar)
{
    auto* group = new QWidget(toolBar);
    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(0, 0, 0, 0);
    row->addWidget(group);
    return layout;
}

}  // namespace

ConnectionToolBar::ConnectionToolBar(QWidget* parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_outputHeld(new QLabel(QStringLiteral("전송 대기 중"), this))
{
    auto* row = new WrappingLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(8);

    QHBoxLayout* line = addGroup(row, this);
    dialButton = new QPushButton(QStringLiteral("전화걸기"), this);
    hangUpButton = new QPushButton(QStringLiteral("전화끊기"), this);
    line->addWidget(m_icon);
    line->addWidget(dialButton);
    line->addWidget(hangUpButton);

    auto* toggles = new QGridLayout;
    toggles->setSpacing(1);
    for (int i = 0; i < remotePortCount; ++i) {
        portToggles[i] = new QPushButton(QStringLiteral("포트%1").arg(i), this);
        portToggles[i]->setCheckable(true);
        toggles->addWidget(portToggles[i], i / 2, i % 2);
    }
    addGroup(row, this)->addLayout(toggles);

    QHBoxLayout* settings = addGroup(row, this);
    idPasswordButton = new QPushButton(QStringLiteral("ID/PWD 설정"), this);
    portSettingsButton = new QPushButton(QStringLiteral("포트설정"), this);
    settings->addWidget(idPasswordButton);
    settings->addWidget(portSettingsButton);

    const std::array<QString, 2> paneNames{QStringLiteral("왼쪽창"), QStringLiteral("오른쪽창")};
    for (int pane = 0; pane < 2; ++pane) {
        auto* label = new QLabel(paneNames[pane], this);
        paneSelectors[pane] = paneSelector(this, paneNames[pane]);
        label->setBuddy(paneSelectors[pane]);
        logBoxes[pane] = new QCheckBox(QStringLiteral("로그저장"), this);
        logBoxes[pane]->setAccessibleName(paneNames[pane] + QStringLiteral(" 로그저장"));
        QHBoxLayout* group = addGroup(row, this);
        group->addWidget(label);
        group->addWidget(paneSelectors[pane]);
        group->addWidget(logBoxes[pane]);
    }
    // Always enabled: the monitor lists the modem dialogue before a link is up.
    linkMonitorButton = new QPushButton(QStringLiteral("링크 모니터"), this);
    row->addWidget(linkMonitorButton);
    QHBoxLayout* script = addGroup(row, this);
    scriptButton = new QPushButton(QStringLiteral("스크립트 실행..."), this);
    stopScriptButton = new QPushButton(QStringLiteral("중지"), this);
    scriptState = new QLabel(this);
    scriptState->setAccessibleName(QStringLiteral("스크립트 상태"));
    // Long progress lines are cut in the bar; the whole line is its tip.
    scriptState->setMaximumWidth(320);
    script->addWidget(scriptButton);
    script->addWidget(stopScriptButton);
    script->addWidget(scriptState);
    stopScriptButton->hide();
    scriptState->hide();
    m_outputHeld->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    row->addWidget(m_outputHeld);
    m_outputHeld->hide();
    showConnected(false);

    for (QWidget* control : controlsInOrder())
        control->installEventFilter(this);
}

bool ConnectionToolBar::eventFilter(QObject* watched, QEvent* event)
{
    // Only where the operator put the focus counts, not where the window
    // system or a closing popup left it.
    if (event->type() == QEvent::FocusIn) {
        switch (static_cast<QFocusEvent*>(event)->reason()) {
        case Qt::MouseFocusReason:
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
            m_lastFocused = qobject_cast<QWidget*>(watched);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ConnectionToolBar::showConnected(bool connected)
{
    m_icon->setPixmap(connectionPicture(connected));
    m_icon->setAccessibleName(connected ? QStringLiteral("연결됨") : QStringLiteral("연결 안 됨"));
    m_icon->setToolTip(m_icon->accessibleName());
}

void ConnectionToolBar::enableCommands(bool connected, bool countingDown)
{
    dialButton->setEnabled(!connected);
    for (QPushButton* command : {hangUpButton, idPasswordButton, portSettingsButton})
        command->setEnabled(connected);
    if (countingDown)
        hangUpButton->setEnabled(true);
    for (QPushButton* toggle : portToggles)
        toggle->setEnabled(connected);
}

void ConnectionToolBar::showOutputHeld(bool held)
{
    m_outputHeld->setVisible(held);
}

void ConnectionToolBar::showScript(bool running, const QString& state)
{
    scriptButton->setEnabled(!running);
    stopScriptButton->setVisible(running);
    const QString shown = scriptState->fontMetrics().elidedText(state, Qt::ElideRight, scriptState->maximumWidth());
    scriptState->setText(shown);
    scriptState->setToolTip(state);
    scriptState->setVisible(!state.isEmpty());
    if (running && stopScriptButton->isVisible() && scriptButton->hasFocus())
        stopScriptButton->setFocus();
}

void ConnectionToolBar::pressPortToggle(int port)
{
    if (port < 0 || port >= remotePortCount)
        return;
    const QSignalBlocker quiet(portToggles[port]);
    portToggles[port]->setChecked(true);
}

void ConnectionToolBar::releasePortToggles(int port)
{
    for (int toggle = 0; toggle < remotePortCount; ++toggle) {
        if (port == noPort || port == toggle) {
            const QSignalBlocker quiet(portToggles[toggle]);
            portToggles[toggle]->setChecked(false);
        }
    }
}

QList<QWidget*> ConnectionToolBar::controlsInOrder() const
{
    QList<QWidget*> controls{dialButton, hangUpButton};
    for (QPushButton* toggle : portToggles)
        controls << toggle;
    controls << idPasswordButton << portSettingsButton;
    for (int pane = 0; pane < 2; ++pane)
        controls << paneSelectors[pane] << logBoxes[pane];
    controls << linkMonitorButton << scriptButton << stopScriptButton;
    return controls;
}

QList<QWidget*> ConnectionToolBar::focusableControls() const
{
    QList<QWidget*> controls = controlsInOrder();
    controls.removeIf([this](const QWidget* control) {
        return !control->isEnabled() || !control->isVisibleTo(this) || !(control->focusPolicy() & Qt::TabFocus);
    });
    return controls;
}

void ConnectionToolBar::restoreFocus()
{
    const QList<QWidget*> controls = focusableControls();
    if (controls.isEmpty())
        return;
    QWidget* target = controls.contains(m_lastFocused.data()) ? m_lastFocused.data() : controls.front();
    target->setFocus(Qt::ShortcutFocusReason);
}

bool ConnectionToolBar::focusNextPrevChild(bool next)
{
    // Round the tool bar's own controls: the window around would hand the
    // focus straight back to a send bar.
    const QList<QWidget*> controls = focusableControls();
    const auto at = controls.indexOf(QApplication::focusWidget());
    if (at < 0)
        return QWidget::focusNextPrevChild(next);
    const auto count = controls.size();
    controls[(at + (next ? 1 : count - 1)) % count]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void ConnectionToolBar::keyPressEvent(QKeyEvent* event)
{
    // Enter operates the focused button or box as Space does; outside a
    // dialog a button takes only Space by itself.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && button != nullptr && isAncestorOf(button)) {
        button->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

#include "session/ConnectionToolBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>

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

}  // namespace

ConnectionToolBar::ConnectionToolBar(QWidget* parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_outputHeld(new QLabel(QStringLiteral("전송 대기 중"), this))
{
    dialButton = new QPushButton(QStringLiteral("전화걸기"), this);
    hangUpButton = new QPushButton(QStringLiteral("전화끊기"), this);
    idPasswordButton = new QPushButton(QStringLiteral("ID/PWD 설정"), this);
    portSettingsButton = new QPushButton(QStringLiteral("포트설정"), this);

    auto* toggles = new QGridLayout;
    toggles->setSpacing(1);
    for (int i = 0; i < remotePortCount; ++i) {
        portToggles[i] = new QPushButton(QStringLiteral("포트%1").arg(i), this);
        portToggles[i]->setCheckable(true);
        toggles->addWidget(portToggles[i], i / 2, i % 2);
    }

    const std::array<QString, 2> paneNames{QStringLiteral("왼쪽창"), QStringLiteral("오른쪽창")};
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_icon);
    layout->addWidget(dialButton);
    layout->addWidget(hangUpButton);
    layout->addLayout(toggles);
    layout->addWidget(idPasswordButton);
    layout->addWidget(portSettingsButton);
    for (int pane = 0; pane < 2; ++pane) {
        auto* label = new QLabel(paneNames[pane], this);
        paneSelectors[pane] = paneSelector(this, paneNames[pane]);
        label->setBuddy(paneSelectors[pane]);
        logBoxes[pane] = new QCheckBox(QStringLiteral("로그저장"), this);
        logBoxes[pane]->setAccessibleName(paneNames[pane] + QStringLiteral(" 로그저장"));
        layout->addSpacing(8);
        layout->addWidget(label);
        layout->addWidget(paneSelectors[pane]);
        layout->addWidget(logBoxes[pane]);
    }
    // Always enabled: the monitor lists the modem dialogue before a link is up.
    linkMonitorButton = new QPushButton(QStringLiteral("링크 모니터"), this);
    layout->addSpacing(8);
    layout->addWidget(linkMonitorButton);
    layout->addStretch(1);
    m_outputHeld->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    layout->addWidget(m_outputHeld);
    m_outputHeld->hide();
    showConnected(false);
}

void ConnectionToolBar::showConnected(bool connected)
{
    m_icon->setPixmap(connectionPicture(connected));
    m_icon->setAccessibleName(connected ? QStringLiteral("연결됨") : QStringLiteral("연결 안 됨"));
    m_icon->setToolTip(m_icon->accessibleName());
}

void ConnectionToolBar::enableCommands(bool connected)
{
    dialButton->setEnabled(!connected);
    for (QPushButton* command : {hangUpButton, idPasswordButton, portSettingsButton})
        command->setEnabled(connected);
    for (QPushButton* toggle : portToggles)
        toggle->setEnabled(connected);
}

void ConnectionToolBar::showOutputHeld(bool held)
{
    m_outputHeld->setVisible(held);
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

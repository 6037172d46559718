#include "session/SendBar.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "display/CTerminalView.h"

namespace {

bool opensMenu(const QKeyEvent* key)
{
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    return (key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier)
        || (key->key() == Qt::Key_Menu && modifiers == Qt::NoModifier);
}

}  // namespace

SendBar::SendBar(const QString& accessibleName, QWidget* parent)
    : QWidget(parent)
    , m_input(new QLineEdit(this))
    , m_send(new QPushButton(QStringLiteral("Send"), this))
{
    setAccessibleName(accessibleName);
    m_input->setAccessibleName(accessibleName);
    // Painting its own background makes the bar opaque, so the input line's
    // blinking cursor repaints the bar alone and not the window frame and
    // title behind it twice a second.
    setAutoFillBackground(true);
    auto* clear = new QPushButton(QStringLiteral("화면지우기"), this);
    auto* interrupt = new QPushButton(QStringLiteral("CTRL+C"), this);
    clear->setFocusPolicy(Qt::NoFocus);
    interrupt->setFocusPolicy(Qt::NoFocus);
    m_send->setVisible(false);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_input, 1);
    layout->addWidget(clear);
    layout->addWidget(interrupt);
    layout->addWidget(m_send);
    setFocusProxy(m_input);

    m_input->installEventFilter(this);
    connect(m_input, &QLineEdit::returnPressed, m_send, &QPushButton::click);
    connect(m_send, &QPushButton::clicked, this, [this] { emit sendRequested(this); });
    connect(interrupt, &QPushButton::clicked, this, [this] { emit interruptRequested(this); });
    connect(clear, &QPushButton::clicked, this, [this] { emit clearRequested(this); });
}

QString SendBar::takeText()
{
    const QString text = m_input->text();
    m_input->clear();
    return text;
}

void SendBar::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_input->setFocus();
}

void SendBar::openPaneMenu()
{
    // The Menu key can arrive twice, as a key and as a menu request.
    if (QApplication::activePopupWidget() != nullptr)
        return;
    if (CTerminalView* pane = CTerminalView::paneForFocus(m_input))
        pane->popupContextMenuAbove(this);
}

bool SendBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_input)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Escape empties the input line and sends nothing.
        if (key->key() == Qt::Key_Escape) {
            m_input->clear();
            return true;
        }
        if (opensMenu(key)) {
            openPaneMenu();
            return true;
        }
    }
    if (event->type() == QEvent::ContextMenu
        && static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Mouse) {
        openPaneMenu();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

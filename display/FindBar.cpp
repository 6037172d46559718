#include "display/FindBar.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

const QString NotFound = QStringLiteral("찾을 수 없습니다.");

}  // namespace

FindBar::FindBar(QWidget* parent)
    : QFrame(parent)
    , m_input(new QLineEdit(this))
    , m_message(new QLabel(this))
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setAccessibleName(QStringLiteral("찾기"));
    m_input->setAccessibleName(QStringLiteral("찾을 내용"));
    // Its name is its text, so a screen reader speaks "찾을 수 없습니다."
    // itself; what the label is for goes in its description.
    m_message->setAccessibleDescription(QStringLiteral("찾기 결과"));
    // Room for the message, so the bar keeps its size when it shows.
    m_message->setMinimumWidth(m_message->fontMetrics().horizontalAdvance(NotFound));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(new QLabel(QStringLiteral("찾기:"), this));
    layout->addWidget(m_input, 1);
    layout->addWidget(m_message);
    setFocusProxy(m_input);

    m_input->installEventFilter(this);
    connect(m_input, &QLineEdit::textEdited, this, &FindBar::textEdited);
}

QString FindBar::text() const
{
    return m_input->text();
}

void FindBar::setFound(bool found)
{
    const QString text = found ? QString() : NotFound;
    if (text == m_message->text())
        return;
    m_message->setText(text);
    QAccessibleEvent changed(m_message, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

bool FindBar::showsNotFound() const
{
    return !m_message->text().isEmpty();
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_input || event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool shift = key->modifiers().testFlag(Qt::ShiftModifier);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F3:
        emit nextRequested(shift);
        return true;
    case Qt::Key_Escape:
        emit closeRequested();
        return true;
    default:
        return QFrame::eventFilter(watched, event);
    }
}

#include "display/CTerminalView.h"

#include <QKeyEvent>

CTerminalView::CTerminalView(QWidget* parent)
    : CVT100View(parent)
{
}

void CTerminalView::setOwnerFrame(QWidget* owner)
{
    m_owner = owner;
}

void CTerminalView::focusInEvent(QFocusEvent* event)
{
    CVT100View::focusInEvent(event);
    if (!m_owner.isNull())
        emit paneFocused(this);
}

void CTerminalView::keyPressEvent(QKeyEvent* event)
{
    // Typing belongs to the send bars; the key goes on to the parent.
    event->ignore();
}

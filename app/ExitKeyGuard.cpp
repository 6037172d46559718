#include "app/ExitKeyGuard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

// A field whose Cut would take something: editable, with text selected.
bool canCut(const QWidget* focus)
{
    if (const auto* line = qobject_cast<const QLineEdit*>(focus))
        return !line->isReadOnly() && line->hasSelectedText();
    if (const auto* text = qobject_cast<const QTextEdit*>(focus))
        return !text->isReadOnly() && text->textCursor().hasSelection();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(focus))
        return !plain->isReadOnly() && plain->textCursor().hasSelection();
    return false;
}

}  // namespace

ExitKeyGuard::ExitKeyGuard(QObject* parent)
    : QObject(parent)
{
    qApp->installEventFilter(this);
}

ExitKeyGuard::~ExitKeyGuard()
{
    qApp->removeEventFilter(this);
}

bool ExitKeyGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride || watched != QApplication::focusWidget())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->keyCombination() != QKeyCombination(Qt::ControlModifier, Qt::Key_X))
        return false;
    // Accepted, the key reaches the field as a key press, its Cut; ignored, it
    // is the Exit shortcut. Either way the field's own claim is not asked.
    event->setAccepted(canCut(QApplication::focusWidget()));
    return true;
}

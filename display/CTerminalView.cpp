#include "display/CTerminalView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

namespace {

const QKeySequence CopyKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_C);
const QKeySequence FindKeys(Qt::CTRL | Qt::Key_F);

enum class PaneCommand { None, Copy, Find };

PaneCommand commandFor(const QKeyEvent* key)
{
    const QKeyCombination combination = key->keyCombination();
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers() & ~Qt::KeypadModifier;
    if ((combination.key() == Qt::Key_C && modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
        || (combination.key() == Qt::Key_Insert && modifiers == Qt::ControlModifier))
        return PaneCommand::Copy;
    if (combination.key() == Qt::Key_F && modifiers == Qt::ControlModifier)
        return PaneCommand::Find;
    return PaneCommand::None;
}

// The panes' keys, taken before the focused widget sees them: the focus
// normally rests in a send bar, whose input line would claim Ctrl+Insert
// for itself.
class PaneKeys : public QObject {
public:
    using QObject::QObject;

    static void install()
    {
        static PaneKeys* keys = [] {
            auto* filter = new PaneKeys(qApp);
            qApp->installEventFilter(filter);
            return filter;
        }();
        (void)keys;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
            return false;
        QWidget* focus = QApplication::focusWidget();
        if (watched != focus)
            return false;  // the event also passes the focus widget's parents
        const PaneCommand command = commandFor(static_cast<QKeyEvent*>(event));
        if (command == PaneCommand::None)
            return false;
        CTerminalView* pane = CTerminalView::paneForFocus(focus);
        if (pane == nullptr)
            return false;
        if (command == PaneCommand::Copy) {
            // A line with text selected in it copies its own.
            const auto* line = qobject_cast<QLineEdit*>(focus);
            if (!pane->hasSelection() || (line != nullptr && line->hasSelectedText()))
                return false;
        }
        event->accept();
        if (event->type() == QEvent::KeyPress) {
            if (command == PaneCommand::Copy)
                pane->copySelection();
            else
                pane->openFindBar();
        }
        return true;
    }
};

// Line breaks of pasted text become spaces: the send bar is one line.
QString asOneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

}  // namespace

CTerminalView::CTerminalView(QWidget* parent)
    : CVT100View(parent)
{
    PaneKeys::install();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (old == this && now != nullptr && now->window() == window() && !isAncestorOf(now))
            m_inputPartner = now;
    });
}

void CTerminalView::setOwnerFrame(QWidget* owner)
{
    m_owner = owner;
}

void CTerminalView::addContextMenuAction(QAction* action)
{
    m_extraActions.append(action);
}

CTerminalView* CTerminalView::paneForFocus(QWidget* focus)
{
    if (focus == nullptr)
        return nullptr;
    for (QWidget* widget = focus; widget != nullptr; widget = widget->parentWidget()) {
        if (auto* pane = qobject_cast<CTerminalView*>(widget))
            return pane;
    }
    const QList<CTerminalView*> panes = focus->window()->findChildren<CTerminalView*>();
    for (CTerminalView* pane : panes) {
        if (pane->m_inputPartner == focus)
            return pane;
    }
    // Not learnt yet: the pane above the focused widget.
    const int x = focus->mapTo(focus->window(), focus->rect().center()).x();
    for (CTerminalView* pane : panes) {
        const QRect area(pane->mapTo(pane->window(), QPoint(0, 0)), pane->size());
        if (pane->isVisible() && x >= area.left() && x <= area.right())
            return pane;
    }
    return nullptr;
}

QMenu* CTerminalView::createContextMenu()
{
    auto* menu = new QMenu(this);
    QAction* copy = menu->addAction(QStringLiteral("복사"), this, &CVT100View::copySelection);
    copy->setShortcut(CopyKeys);
    copy->setEnabled(hasSelection());
    QAction* paste = menu->addAction(QStringLiteral("붙여넣기"), this, &CTerminalView::pasteClipboard);
    paste->setEnabled(!QApplication::clipboard()->text().isEmpty());
    menu->addSeparator();
    menu->addAction(QStringLiteral("모두 선택"), this, &CVT100View::selectAll);
    menu->addAction(QStringLiteral("찾기..."), this, &CVT100View::openFindBar)->setShortcut(FindKeys);
    bool separated = false;
    for (const QPointer<QAction>& action : m_extraActions) {
        if (action.isNull())
            continue;
        if (!separated)
            menu->addSeparator();
        separated = true;
        menu->addAction(action);
    }
    return menu;
}

void CTerminalView::pasteClipboard()
{
    const QString text = asOneLine(QApplication::clipboard()->text());
    if (!text.isEmpty())
        emit pasteRequested(text);
}

void CTerminalView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void CTerminalView::popupContextMenuAbove(QWidget* anchor)
{
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(anchor->mapToGlobal(QPoint(0, 0)) - QPoint(0, menu->sizeHint().height()));
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

#include "display/TerminalAccessible.h"

#include <algorithm>

#include "display/CVT100View.h"

TerminalAccessible::TerminalAccessible(CVT100View* view)
    : QAccessibleWidget(view, QAccessible::Terminal)
{
}

CVT100View* TerminalAccessible::view() const
{
    return static_cast<CVT100View*>(widget());
}

void* TerminalAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TerminalAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    return state;
}

QString TerminalAccessible::text(QAccessible::Text type) const
{
    if (type == QAccessible::Value)
        return view()->visibleText();
    return QAccessibleWidget::text(type);
}

QString TerminalAccessible::text(int startOffset, int endOffset) const
{
    const QString all = view()->visibleText();
    const int start = std::clamp(startOffset, 0, static_cast<int>(all.size()));
    const int end = endOffset < 0 ? static_cast<int>(all.size())
                                  : std::clamp(endOffset, start, static_cast<int>(all.size()));
    return all.mid(start, end - start);
}

int TerminalAccessible::characterCount() const
{
    return static_cast<int>(view()->visibleText().size());
}

int TerminalAccessible::cursorPosition() const
{
    return 0;
}

void TerminalAccessible::setCursorPosition(int)
{
}

void TerminalAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = 0;
    int start = 0;
    int end = 0;
    if (selectionIndex == 0 && view()->visibleSelection(&start, &end)) {
        *startOffset = start;
        *endOffset = end;
    }
}

int TerminalAccessible::selectionCount() const
{
    int start = 0;
    int end = 0;
    return view()->visibleSelection(&start, &end) ? 1 : 0;
}

void TerminalAccessible::addSelection(int, int)
{
}

void TerminalAccessible::removeSelection(int)
{
}

void TerminalAccessible::setSelection(int, int, int)
{
}

QRect TerminalAccessible::characterRect(int) const
{
    return QRect();
}

int TerminalAccessible::offsetAtPoint(const QPoint&) const
{
    return -1;
}

void TerminalAccessible::scrollToSubstring(int, int)
{
}

QString TerminalAccessible::attributes(int, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
}

namespace {

QAccessibleInterface* terminalAccessibleFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String("CVT100View"))
        return nullptr;
    if (auto* view = qobject_cast<CVT100View*>(object))
        return new TerminalAccessible(view);
    return nullptr;
}

}  // namespace

void installTerminalAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(terminalAccessibleFactory);
        return true;
    }();
    (void)installed;
}

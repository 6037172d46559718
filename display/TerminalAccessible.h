#pragma once
// Lets screen readers and automated tests read a pane: the accessible object
// of a CVT100View is a read-only terminal whose text is the rows the pane
// shows, converted from code page 949.

#include <QAccessibleWidget>

class CVT100View;

class TerminalAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TerminalAccessible(CVT100View* view);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text type) const override;

    // The text interface: the visible rows, joined by '\n'. Read-only; the
    // selection made with the mouse or by find is reported, as far as it is
    // in view.
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    CVT100View* view() const;
};

// Registers the factory that gives every CVT100View its TerminalAccessible.
// Safe to call more than once; only the first call installs it.
void installTerminalAccessibility();

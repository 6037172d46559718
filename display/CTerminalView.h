#pragma once
// A pane of a connection window. It takes no keyboard input of its own: when
// it receives the focus it tells its owner, which hands the focus on to the
// pane's send bar.
//
// Its text can be selected with the mouse (see CVT100View) and worked with
// from its context menu ("복사", "붙여넣기", "모두 선택", "찾기...") and keys:
// Ctrl+Shift+C and Ctrl+Insert copy, Ctrl+F finds. The keys reach the pane
// while the focus is in it, in its find bar or in its send bar, the widget
// that the focus went on to from the pane (or, before it has, the one
// below it).

#include <QList>
#include <QPointer>

#include "display/CVT100View.h"

class QAction;
class QMenu;

class CTerminalView : public CVT100View {
    Q_OBJECT

public:
    explicit CTerminalView(QWidget* parent = nullptr);

    // The connection window that contains the pane; nullptr forgets it.
    void setOwnerFrame(QWidget* owner);
    QWidget* ownerFrame() const { return m_owner; }

    // Entries for the context menu besides the pane's own, shown after them
    // in the order added. The caller keeps the action.
    void addContextMenuAction(QAction* action);
    // Hands the clipboard's text to pasteRequested, line breaks as spaces.
    void pasteClipboard();
    // Opens the context menu as the keyboard does from the pane's send bar
    // (Shift+F10, the Menu key): its bottom-left corner on anchor's top-left,
    // clear of the line the operator types in.
    void popupContextMenuAbove(QWidget* anchor);

    // The pane that the key commands go to while `focus` has the focus.
    static CTerminalView* paneForFocus(QWidget* focus);

signals:
    // The pane got the focus while its owner exists. Connect it queued: the
    // owner moves the focus away, which is not allowed inside a focus event.
    void paneFocused(CTerminalView* pane);
    // "붙여넣기": the text goes into the pane's send bar, not yet sent.
    void pasteRequested(const QString& text);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The context menu as it would open now; the caller owns it.
    QMenu* createContextMenu();

    QPointer<QWidget> m_owner;
    // Where the focus went when the pane passed it on: its send bar.
    QPointer<QWidget> m_inputPartner;
    QList<QPointer<QAction>> m_extraActions;
};

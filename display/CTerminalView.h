#pragma once
// A pane of a connection window. It takes no keyboard input of its own: when
// it receives the focus it tells its owner, which hands the focus on to the
// pane's send bar.

#include <QPointer>

#include "display/CVT100View.h"

class CTerminalView : public CVT100View {
    Q_OBJECT

public:
    explicit CTerminalView(QWidget* parent = nullptr);

    // The connection window that contains the pane; nullptr forgets it.
    void setOwnerFrame(QWidget* owner);
    QWidget* ownerFrame() const { return m_owner; }

signals:
    // The pane got the focus while its owner exists. Connect it queued: the
    // owner moves the focus away, which is not allowed inside a focus event.
    void paneFocused(CTerminalView* pane);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<QWidget> m_owner;
};

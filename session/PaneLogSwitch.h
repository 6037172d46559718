#pragma once
// The "로그저장" box of one pane. Ticked, it asks for a file (proposing a name
// from the time, the pane's side and what it shows) and opens it as the pane's
// log; cleared, it closes the log. It is ticked exactly while the log is open:
// a log that fails to write is closed, the box cleared and the operator told.
// The pane's menu offers time stamps for the log's lines.

#include <QObject>
#include <QPointer>

#include <functional>

#include "session/PaneSide.h"

class CTerminalView;
class QCheckBox;
class QWidget;

class PaneLogSwitch : public QObject {
    Q_OBJECT
public:
    // The switch lives as long as the window (its parent).
    PaneLogSwitch(QWidget* window, CTerminalView* pane, QCheckBox* box, PaneSide side);

    // After a click on the box. selection: what the pane shows (noPort or a
    // remote port); windowClosing: asked once the save dialog answers, a
    // closing window opens no log. The box stays ticked while the dialog is
    // up and shows the outcome once it answers.
    void toggle(int selection, std::function<bool()> windowClosing);
    // Adds "로그에 시각 기록" to the pane's menu, ticked as `on`, and applies it
    // to the pane's log; each change goes to the pane and to `remember`.
    void offerTimestamps(bool on, std::function<void(bool)> remember);

private:
    QWidget* m_window;
    CTerminalView* m_pane;
    QCheckBox* m_box;
    PaneSide m_side;
    bool m_asking = false;
};

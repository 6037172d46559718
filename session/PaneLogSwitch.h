#pragma once
// The "로그저장" box of one pane. Ticked, it asks for a file (proposing a name
// from the time, the pane's side and what it shows) and opens it as the pane's
// log; cleared, it closes the log. It is ticked exactly while the log is open:
// a log that fails to write is closed, the box cleared and the operator told.
// The pane's menu offers time stamps for the log's lines.

#include <QObject>
#include <QPointer>

#include <functional>

class CTerminalView;
class QCheckBox;
class QWidget;

class PaneLogSwitch : public QObject {
    Q_OBJECT
public:
    // side: 'L' or 'R'. The switch lives as long as the window (its parent).
    PaneLogSwitch(QWidget* window, CTerminalView* pane, QCheckBox* box, char side);

    // After a click on the box. selection: what the pane shows (noPort or a
    // remote port); windowClosing: asked after the save dialog, a closing
    // window opens no log.
    void toggle(int selection, const std::function<bool()>& windowClosing);
    // Adds "로그에 시각 기록" to the pane's menu, ticked as `on`, and applies it
    // to the pane's log; each change goes to the pane and to `remember`.
    void offerTimestamps(bool on, std::function<void(bool)> remember);

private:
    QWidget* m_window;
    CTerminalView* m_pane;
    QCheckBox* m_box;
    char m_side;
};

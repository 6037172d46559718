#pragma once
// The row of controls at the top of a connection window: connection icon, dial,
// hang up, the four port toggles, ID/PWD, remote port settings, and per pane a
// source selector with its "로그저장" box, and the link monitor. In a narrow
// window the row wraps onto further rows between its groups; no control is
// ever cut.
//
// By keyboard: Tab and Shift+Tab go round the controls that can be used now,
// Space or Enter operates the one with the focus.

#include <QPointer>
#include <QWidget>

#include <array>

#include "session/RequestKind.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// A pane's source list holds the local line traffic first, then the remote ports
// in order: row 0 is the pane selection noPort, row n + 1 remote port n.
constexpr int paneSelectionOfRow(int row) { return row - 1; }
constexpr int rowOfPaneSelection(int selection) { return selection + 1; }
static_assert(paneSelectionOfRow(0) == noPort);

class ConnectionToolBar : public QWidget {
    Q_OBJECT
public:
    explicit ConnectionToolBar(QWidget* parent = nullptr);

    void showConnected(bool connected);
    // Shows the port's toggle released (noPort: all four) without it asking
    // for a port command, as the operator's own toggling does.
    void releasePortToggles(int port);
    // "전화걸기" exactly while unconnected; hang-up, ID/PWD, the remote port
    // settings and the port toggles exactly while connected. While a redial
    // or reconnect counts down, "전화끊기" stops it.
    void enableCommands(bool connected, bool countingDown = false);
    // Shows the port's toggle pressed without it asking for a port command.
    void pressPortToggle(int port);
    // "전송 대기 중" while the line holds back what was written.
    void showOutputHeld(bool held);
    // A script running: "스크립트 실행..." disabled, "중지" shown, and what it
    // does now (a line of its progress); stopped or ended, `state` says how.
    void showScript(bool running, const QString& state);

    // The controls Tab goes round, in order: those enabled and shown.
    QList<QWidget*> focusableControls() const;
    // The focus to the control the operator last put it on here, or the first one.
    void restoreFocus();

    QPushButton* dialButton;
    QPushButton* hangUpButton;
    std::array<QPushButton*, remotePortCount> portToggles;
    QPushButton* idPasswordButton;
    QPushButton* portSettingsButton;
    std::array<QComboBox*, 2> paneSelectors;  // left, right
    std::array<QCheckBox*, 2> logBoxes;       // left, right
    QPushButton* linkMonitorButton;
    QPushButton* scriptButton;
    QPushButton* stopScriptButton;
    QLabel* scriptState;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QList<QWidget*> controlsInOrder() const;

    QLabel* m_icon;
    QLabel* m_outputHeld;
    QPointer<QWidget> m_lastFocused;
};

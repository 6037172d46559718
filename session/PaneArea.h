#pragma once
// The two panes of a connection window side by side, equal in width and each at
// least 10 pixels wide, and under them the strip with the two send bars, the
// left one under the left pane; what each pane shows, and what reaches which.

#include <QWidget>

#include <array>
#include <atomic>
#include <string>

#include "session/RequestKind.h"

class CTerminalView;
class SendBar;

class PaneArea : public QWidget {
    Q_OBJECT
public:
    explicit PaneArea(QWidget* parent = nullptr);

    std::array<CTerminalView*, 2> panes;  // left, right
    std::array<SendBar*, 2> bars;         // left, right
    // What each pane shows: noPort for the local traffic, or a remote port.
    // Written on the window thread, read by the reader thread too.
    std::array<std::atomic<int>, 2> selection{noPort, noPort};

    int sideOfBar(const SendBar* bar) const { return bar == bars[1] ? 1 : 0; }
    // Port data goes to the panes showing exactly that port; a port's message
    // line to those and to the local panes. Both under the connection lock.
    void showPortData(int port, const std::string& text);
    void showPortMessage(int port, const std::string& text);
    // Empties the pane's screen ("화면지우기") and gives its bar the focus back.
    void clearPane(int side);
};

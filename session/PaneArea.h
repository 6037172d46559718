#pragma once
// The two panes of a connection window side by side, equal in width and each at
// least 10 pixels wide, and under them the strip with the two send bars, the
// left one under the left pane.

#include <QWidget>

#include <array>

class CTerminalView;
class SendBar;

class PaneArea : public QWidget {
    Q_OBJECT
public:
    explicit PaneArea(QWidget* parent = nullptr);

    std::array<CTerminalView*, 2> panes;  // left, right
    std::array<SendBar*, 2> bars;         // left, right
};

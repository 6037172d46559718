#pragma once
// The two panes of a connection window side by side, equal in width and each at
// least 10 pixels wide, and under them the strip with the two send bars, the
// left one under the left pane.

#include <QWidget>

#include <array>

#include "session/PaneSide.h"

class CTerminalView;
class SendBar;

class PaneArea : public QWidget {
    Q_OBJECT
public:
    explicit PaneArea(QWidget* parent = nullptr);

    CTerminalView* pane(PaneSide side) const { return m_panes[indexOf(side)]; }
    SendBar* bar(PaneSide side) const { return m_bars[indexOf(side)]; }
    PaneSide sideOfBar(const SendBar* bar) const { return bar == m_bars[1] ? PaneSide::Right : PaneSide::Left; }
    // Empties the pane's screen ("화면지우기") and gives its bar the focus back.
    void clearPane(PaneSide side);

private:
    std::array<CTerminalView*, 2> m_panes{};
    std::array<SendBar*, 2> m_bars{};
};

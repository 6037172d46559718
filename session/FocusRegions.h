#pragma once
// F6 and Shift+F6 move the keyboard between the regions of a connection
// window, as F6 does between the regions of other desktop programs: its tool
// bar, the left send bar and the right send bar, and round again. The tool bar
// takes the focus back on the control that had it last; a send bar makes its
// pane the active one, as a click into the pane does.

#include <QObject>

class CChildFrame;

class FocusRegions : public QObject {
public:
    // Lives as long as the window.
    explicit FocusRegions(CChildFrame* window);

    void next() { move(1); }
    void previous() { move(-1); }

private:
    enum Region { ToolBar, LeftBar, RightBar, RegionCount };

    void move(int step);
    // The region with the focus, or nothing when it is elsewhere.
    int currentRegion() const;
    void enter(int region);

    CChildFrame* m_window;
};

#pragma once
// One repaint tick for all the panes of the program. A pane with new text
// joins it; each tick calls every pane that has joined, and a pane whose call
// says nothing changed leaves until its next change. Panes that tick together
// are repainted in one update of their window: one paint and one transfer to
// the display per tick, not one per pane at its own moment.
//
// Window thread only.

#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

class RepaintTick : public QObject {
public:
    // The tick of the program's window thread.
    static RepaintTick& shared();

    // `tick` is called every `interval` until it returns false. A pane
    // already in leaves its call as it is.
    void join(const QObject* pane, std::function<bool()> tick);
    // Before the pane goes away; no call is made for it after this.
    void leave(const QObject* pane);

    // Leaves a running tick's pace alone when it is already this.
    void setInterval(int milliseconds);

private:
    explicit RepaintTick(QObject* parent);
    void run();

    struct Member {
        const QObject* pane = nullptr;
        std::function<bool()> tick;
    };
    std::vector<Member> m_members;
    QTimer m_timer;
};

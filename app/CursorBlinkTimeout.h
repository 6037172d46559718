#pragma once
// Text cursors blink while the operator works and hold still once the program
// has had no key, click or wheel turn for a while, as desktop terminals do:
// a blinking cursor repaints its window twice a second for as long as the
// program runs, which is most of the program's cost while a port sits idle.
// The next input brings the blinking back.

#include <QObject>
#include <QTimer>

#include <chrono>

class CursorBlinkTimeout : public QObject {
public:
    static constexpr std::chrono::milliseconds standardTimeout{10'000};

    // Watches the application's input from now on; the application owns it.
    static CursorBlinkTimeout* install(std::chrono::milliseconds timeout = standardTimeout);

    bool isBlinking() const { return !m_stopped; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CursorBlinkTimeout(std::chrono::milliseconds timeout, QObject* parent);
    void timeIsUp();

    std::chrono::milliseconds m_timeout;
    QTimer m_timer;
    std::chrono::steady_clock::time_point m_lastInput;
    int m_flashTime = 0;  // the desktop's, brought back with the next input
    bool m_stopped = false;
};

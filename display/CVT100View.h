#pragma once
// A pane's text screen on the window: draws the TextScreen in 8 x 16 pixel
// cells (black on white, Unifont 16 px) inside a 1027 x 8003 scrollable area.
//
// Threads: the writers (putText, putLine, clearScreen, openLog, closeLog) may
// be called from any thread, serialized by the model lock (the connection
// window's lock, see setModelLock). They only change the screen model and the
// log, and ask for one coalesced repaint on the window thread; painting reads
// the model under the same lock. A pane must outlive every writer's call.

#include <QAbstractScrollArea>
#include <QFont>
#include <QString>
#include <QTimer>

#include <QList>
#include <QPointF>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "display/CellGlyphs.h"
#include "display/PaneLog.h"
#include "display/TextScreen.h"

class CVT100View : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int cellWidth = 8;
    static constexpr int cellHeight = 16;
    static constexpr int documentWidth = TextScreen::columns * cellWidth + 3;   // 1027
    static constexpr int documentHeight = TextScreen::rows * cellHeight + 3;    // 8003
    static constexpr int cursorTop = TextScreen::cursorRow * cellHeight + 1;     // 7985
    static constexpr int cursorHeight = cellHeight - 2;                         // 14
    // Changes are gathered this long before the window repaints them (and the
    // log is flushed): about 25 repaints a second at most.
    static constexpr int repaintDelayMs = 40;

    explicit CVT100View(QWidget* parent = nullptr);
    ~CVT100View() override;

    // The lock that serializes writers and painting. nullptr restores the
    // view's own lock. Set it before any writer runs.
    void setModelLock(std::recursive_mutex* lock);
    std::recursive_mutex& modelLock() const { return *m_lock; }
    // True while the window thread waits for the model lock to paint or to
    // take the changes. The lock favours the thread that just released it, so
    // a writer that takes it in a tight loop checks this between takings and
    // stands aside until the window thread has had its turn.
    bool windowWaitsForLock() const { return m_windowWaiting.load(std::memory_order_acquire); }

    // Logs the bytes up to the first zero byte unchanged, then interprets them.
    void putText(std::string_view text);
    // putText of the text followed by CR LF; the log receives the CR LF too.
    void putLine(std::string_view text);
    // Blanks the screen, keeping the cursor column. Without repaint nothing is
    // scheduled now; the blank screen shows with the next repaint.
    void clearScreen(bool repaint);

    bool openLog(const std::string& path);
    void closeLog();
    bool isLogOpen() const;

    // The screen model; read it only while holding modelLock().
    const TextScreen& screen() const { return m_screen; }
    // The rows the window shows, as text: trailing blanks trimmed, rows joined
    // by '\n'. This is what the accessible text interface reports.
    QString visibleText() const;
    // Row indexes of the screen that intersect the window now.
    int firstVisibleRow() const;
    int lastVisibleRow() const;
    QFont screenFont() const { return m_font; }

signals:
    // The log could not be written and has been closed. Emitted once per
    // failure, on the window thread, after the failing write, repaint tick or
    // closeLog. The screen goes on showing the text.
    void logWriteFailed(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Takes the model lock on the window thread, showing that it waits.
    std::unique_lock<std::recursive_mutex> lockForWindow() const;
    void writeLocked(std::string_view text);
    void reportLogFailureLocked();
    void scheduleRepaint();
    void startRepaintTimer();
    void flushRepaint();
    void updateRows(int firstRow, int lastRow);
    void updateScrollBars();
    void scrollToBottom();

    TextScreen m_screen;
    PaneLog m_log;
    std::recursive_mutex m_ownLock;
    std::recursive_mutex* m_lock = &m_ownLock;
    std::atomic<bool> m_repaintPending{false};
    mutable std::atomic<bool> m_windowWaiting{false};
    QTimer m_repaintTimer;
    QFont m_font;
    bool m_shownOnce = false;
    // Rows copied out of the model under the lock so drawing runs without it.
    std::array<char, TextScreen::rows * TextScreen::columns> m_paintRows{};
    // The cursor bar appears with the first text written and stays with the cursor.
    bool m_cursorShown = false;
    // Rows that a paint drew after the text had scrolled since the last
    // repaint tick: the next tick's shift moves them too far, so it draws them
    // again where they land. None while first > last.
    int m_aheadFirstRow = 0;
    int m_aheadLastRow = -1;
    // Created at the first paint; reused glyph lists for the rows drawn.
    std::unique_ptr<CellGlyphs> m_glyphs;
    QList<quint32> m_glyphIndexes;
    QList<QPointF> m_glyphPositions;
};

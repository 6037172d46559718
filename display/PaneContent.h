#pragma once
// What a pane holds: its text screen and its log, and the lock that
// serializes the writers (the connection lock, shared by every connection).
// The reader thread and the connection write into it; the pane's view only
// reads it, on its repaint tick. It knows no widget: whoever shows it
// listens for the first change after a quiet spell.
//
// Threads: writers from any thread, each call under the lock (taken here,
// recursively). The listener is set and reset on the view's thread.

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

#include "display/PaneLog.h"
#include "display/TextScreen.h"
#include "display/TextSink.h"

class PaneContent final : public TextSink {
public:
    class Listener {
    public:
        virtual ~Listener() = default;
        // Under the lock, from the writing thread: the first change since
        // takeChanges() last found none. The view asks for a repaint.
        virtual void contentChanged() = 0;
        // Under the lock, from the writing thread: the log could not be
        // written and has been closed; told once per failure.
        virtual void logFailed(const std::string& path) = 0;
    };

    // lock: the connection lock; nullptr gives the content a lock of its own.
    explicit PaneContent(std::recursive_mutex* lock = nullptr);
    ~PaneContent() override;
    PaneContent(const PaneContent&) = delete;
    PaneContent& operator=(const PaneContent&) = delete;

    std::recursive_mutex& lock() const { return *m_lock; }
    // nullptr stops the telling; takes the lock, so no call is in progress
    // once it returns.
    void setListener(Listener* listener);

    // Logs the bytes up to the first zero byte unchanged, then interprets them.
    void putText(std::string_view text) override;
    // putText of the text followed by CR LF; the log receives the CR LF too.
    void putLine(std::string_view text) override;
    // Blanks the screen, keeping the cursor column. Without repaint the view
    // is not told; the blank screen shows with its next repaint.
    void clearScreen(bool repaint);

    bool openLog(const std::string& path);
    // Hands over the bytes still held; a failure there is told too.
    void closeLog();
    bool isLogOpen() const;
    // Whether the log begins each line with the time it arrived; kept across
    // opening and closing logs.
    void setLogTimestamps(bool on);

    // --- the view's side, under the lock -------------------------------------
    // Takes the lock for the view, showing while it waits: the lock favours the
    // thread that just released it, so a writer taking it in a tight loop
    // checks viewWaitsForLock() between takings and stands aside.
    std::unique_lock<std::recursive_mutex> lockForView() const;
    bool viewWaitsForLock() const override { return m_viewWaiting.load(std::memory_order_acquire); }
    // Read these only while holding the lock.
    const TextScreen& screen() const { return m_screen; }
    // True once text has been written: the cursor bar shows from then on.
    bool cursorShown() const { return m_cursorShown; }
    // The changes since the last call, with the log brought up to date. When
    // none, the next change tells the listener again.
    ScreenDamage takeChanges();

private:
    void writeLocked(std::string_view text);
    void tellLogFailureLocked();
    void tellChangedLocked();

    TextScreen m_screen;
    PaneLog m_log;
    mutable std::recursive_mutex m_ownLock;
    std::recursive_mutex* m_lock;
    Listener* m_listener = nullptr;
    // True from the first change that told the listener until a takeChanges()
    // that finds none.
    bool m_told = false;
    bool m_cursorShown = false;
    mutable std::atomic<bool> m_viewWaiting{false};
};

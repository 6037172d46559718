#pragma once
// What reaches which pane: the two panes' selections (noPort for the local
// line, 0..3 a remote port) and where their text goes, plus watchers that see
// one source whatever the panes show (a capture file, a script waiting for a
// prompt). Every call takes the connection lock for its duration, so the
// bytes of one write are never interleaved with another's.
//
// Threads: echoLocal from the reader thread, the rest from the loop's thread;
// the selections are atomics because the reader reads them.

#include <array>
#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "session/PaneSide.h"
#include "session/RequestKind.h"

class TextSink;

class TrafficRouter {
public:
    // The panes' sinks; nullptr for a pane nobody shows. Set before the
    // reader starts.
    void setPane(PaneSide side, TextSink* sink);
    // A sink that sees everything a pane showing `source` would show. Added
    // and removed on the loop's thread, under the connection lock.
    void addWatcher(int source, TextSink* sink);
    void removeWatcher(TextSink* sink);

    int selection(PaneSide side) const { return m_selection[indexOf(side)].load(); }
    void select(PaneSide side, int selection) { m_selection[indexOf(side)] = selection; }

    // Received bytes outside frames: the local panes and watchers.
    void echoLocal(std::string_view bytes);
    // Port data: the panes showing exactly that port (noPort: the local ones).
    void showPortData(int port, const std::string& text);
    // A port's message line: the panes showing that port or local traffic.
    void showPortMessage(int port, const std::string& text);
    // A message for every pane, one pane at a time (the connection pauses
    // between them), and for every watcher.
    void showLineInPane(PaneSide side, const std::string& text);
    void showLineToWatchers(const std::string& text);
    // True while a view waits for the connection lock.
    bool viewWaitsForLock() const;

private:
    struct Watcher {
        int source;
        TextSink* sink;
    };
    template <typename Shows, typename Put>
    void deliver(Shows shows, Put put);

    std::array<TextSink*, paneSides.size()> m_panes{};
    std::array<std::atomic<int>, paneSides.size()> m_selection{noPort, noPort};
    std::vector<Watcher> m_watchers;
};

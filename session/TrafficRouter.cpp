#include "session/TrafficRouter.h"

#include <algorithm>
#include <mutex>

#include "display/TextSink.h"
#include "session/ConnectionLock.h"
#include "session/ReplyDecoder.h"

void TrafficRouter::setPane(PaneSide side, TextSink* sink)
{
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    m_panes[indexOf(side)] = sink;
}

void TrafficRouter::addWatcher(int source, TextSink* sink)
{
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    m_watchers.push_back({source, sink});
}

void TrafficRouter::removeWatcher(TextSink* sink)
{
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    std::erase_if(m_watchers, [sink](const Watcher& watcher) { return watcher.sink == sink; });
}

// Hands the text to every pane and watcher whose source `shows` takes it,
// through `put` (putText or putLine), under the connection lock.
template <typename Shows, typename Put>
void TrafficRouter::deliver(Shows shows, Put put)
{
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    for (PaneSide side : paneSides) {
        TextSink* pane = m_panes[indexOf(side)];
        if (pane && shows(selection(side)))
            put(*pane);
    }
    for (const Watcher& watcher : m_watchers) {
        if (shows(watcher.source))
            put(*watcher.sink);
    }
}

void TrafficRouter::echoLocal(std::string_view bytes)
{
    if (!bytes.empty())
        deliver(paneShowsLocalEcho, [bytes](TextSink& sink) { sink.putText(bytes); });
}

void TrafficRouter::showPortData(int port, const std::string& text)
{
    if (!text.empty())
        deliver([port](int source) { return paneShowsPortData(source, port); },
                [&text](TextSink& sink) { sink.putText(text); });
}

void TrafficRouter::showPortMessage(int port, const std::string& text)
{
    if (!text.empty())
        deliver([port](int source) { return paneShowsPortMessage(source, port); },
                [&text](TextSink& sink) { sink.putLine(text); });
}

void TrafficRouter::showLineInPane(PaneSide side, const std::string& text)
{
    if (text.empty())
        return;
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    if (TextSink* pane = m_panes[indexOf(side)])
        pane->putLine(text);
}

void TrafficRouter::showLineToWatchers(const std::string& text)
{
    if (text.empty())
        return;
    std::lock_guard<std::recursive_mutex> lock(connectionLock());
    for (const Watcher& watcher : m_watchers)
        watcher.sink->putLine(text);
}

bool TrafficRouter::viewWaitsForLock() const
{
    return std::any_of(m_panes.begin(), m_panes.end(),
                       [](const TextSink* pane) { return pane && pane->viewWaitsForLock(); });
}

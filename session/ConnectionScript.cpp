#include "session/ConnectionScript.h"

#include <chrono>
#include <mutex>

#include "display/TextSink.h"
#include "session/ConnectionLock.h"

static_assert(scriptLocalLine == noPort, "a script's local line is the pane selection of local traffic");

namespace {

// What the loop has not taken yet, per source; a loop far behind keeps the
// newest (the script only ever looks at what came after its last match).
constexpr std::size_t maxPendingBytes = 1 << 20;
// While text keeps coming, how often it is handed to the script.
constexpr std::chrono::milliseconds shownPace{50};

}  // namespace

// Sees what a pane showing one source would show, under the connection lock,
// and hands it to the loop.
class ConnectionScript::SourceWatch final : public TextSink {
public:
    explicit SourceWatch(ConnectionScript& owner)
        : m_owner(owner)
    {
    }
    void putText(std::string_view text) override { add(text); }
    void putLine(std::string_view text) override
    {
        add(text);
        add("\r\n");
    }
    // Under the connection lock.
    std::string take() { return std::exchange(m_pending, {}); }

private:
    void add(std::string_view text)
    {
        text = text.substr(0, std::min(text.find('\0'), text.size()));
        m_pending += text;
        if (m_pending.size() > maxPendingBytes)
            m_pending.erase(0, m_pending.size() - maxPendingBytes);
        if (!m_owner.m_takePosted.exchange(true))
            m_owner.m_timers.post([owner = &m_owner] { owner->takeShown(); });
    }
    ConnectionScript& m_owner;
    std::string m_pending;
};

ConnectionScript::ConnectionScript(ConnectionEngine& engine, EventLoop& loop, Script script,
                                   const ScriptHostValues& values, Progress progress,
                                   ScriptRunner::Finished finished)
    : m_engine(engine)
    , m_progress(std::move(progress))
    , m_runner(std::move(script), *this, loop, values, std::move(finished))
    , m_wasConnected(engine.isConnected())
    , m_timers(loop)
{
    for (int source = noPort; source < remotePortCount; ++source) {
        auto& watch = m_watches[static_cast<std::size_t>(source + 1)];
        watch = std::make_unique<SourceWatch>(*this);
        m_engine.router().addWatcher(source, watch.get());
    }
}

ConnectionScript::~ConnectionScript()
{
    for (const auto& watch : m_watches)
        m_engine.router().removeWatcher(watch.get());
}

// On the loop: hands what the sources showed to the runner. While text keeps
// coming it is taken every shownPace, not once for every piece the reader
// writes; the first piece after a quiet spell is taken at once.
void ConnectionScript::takeShown()
{
    std::array<std::string, remotePortCount + 1> shown;
    bool any = false;
    {
        std::lock_guard<std::recursive_mutex> lock(connectionLock());
        for (std::size_t i = 0; i < shown.size(); ++i) {
            shown[i] = m_watches[i]->take();
            any = any || !shown[i].empty();
        }
        // Quiet: the next piece posts again.
        if (!any)
            m_takePosted = false;
    }
    if (!any)
        return;
    m_timers.start(shownPace, [this] { takeShown(); });
    for (std::size_t i = 0; i < shown.size() && m_runner.running(); ++i) {
        if (!shown[i].empty())
            m_runner.shown(static_cast<int>(i) - 1, shown[i]);
    }
}

void ConnectionScript::replyReceived(const ReplyOutcome& outcome, RequestKind kind)
{
    const bool portCommand =
        kind == RequestKind::PortConnect || kind == RequestKind::PortRelease || kind == RequestKind::PortConfigure;
    if (!portCommand || !isRemotePort(outcome.portIndex))
        return;
    const PortAnswer answer = outcome.kind == ReplyOutcome::Kind::Accepted ? PortAnswer::Accepted
        : outcome.kind == ReplyOutcome::Kind::Busy                      ? PortAnswer::Busy
                                                                        : PortAnswer::Refused;
    m_runner.portAnswered(outcome.portIndex, answer);
}

void ConnectionScript::connectionShown(bool connected)
{
    const bool lost = m_wasConnected && !connected && !m_hangingUp;
    m_wasConnected = connected;
    if (lost)
        m_runner.lineLost();
}

void ConnectionScript::hangUpFinished()
{
    m_hangingUp = false;
    m_runner.hungUp();
}

void ConnectionScript::lineLost()
{
    m_runner.lineLost();
}

void ConnectionScript::sendLine(int source, const std::string& text)
{
    if (source == noPort)
        m_engine.sendLocalText(text);
    else
        m_engine.sendPortText(source, text);
}

void ConnectionScript::sendRaw(int source, const std::string& bytes)
{
    m_engine.sendBytes(source, bytes);
}

void ConnectionScript::connectPort(int port)
{
    m_engine.togglePort(port, true);
}

void ConnectionScript::disconnectPort(int port)
{
    m_engine.togglePort(port, false);
}

void ConnectionScript::configurePort(int port, const std::string& settingsText)
{
    m_engine.configurePort(port, settingsText);
}

void ConnectionScript::hangUp()
{
    m_hangingUp = true;
    m_engine.hangUp();
}

#pragma once
// A script running on a connection: the host side of ScriptRunner over a
// ConnectionEngine, for every front end (the window's "스크립트 실행...",
// emuvola-run). It sends through the engine as the send bars and commands do,
// sees what a pane of each source would show, and hears the unit's answers,
// the end of a hang-up and a lost line from its front end, which hands on
// what the engine tells it.
//
// Loop thread only; what the panes are shown reaches it from the reader
// thread and is handed over through the loop.

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "base/EventLoop.h"
#include "base/LoopTimers.h"
#include "script/ScriptHost.h"
#include "script/ScriptRunner.h"
#include "session/ConnectionEngine.h"
#include "session/ReplyDecoder.h"

class ConnectionScript final : public ScriptHost {
public:
    // progress: one line a step, code page 949, the password masked.
    using Progress = std::function<void(const std::string& line)>;

    ConnectionScript(ConnectionEngine& engine, EventLoop& loop, Script script, const ScriptHostValues& values,
                     Progress progress, ScriptRunner::Finished finished);
    ~ConnectionScript() override;
    ConnectionScript(const ConnectionScript&) = delete;
    ConnectionScript& operator=(const ConnectionScript&) = delete;

    void start() { m_runner.start(); }
    // Stops at once; nothing more is sent, the connection stays.
    void stop() { m_runner.stop(); }
    const ScriptRunner& runner() const { return m_runner; }

    // What the front end hears of the connection.
    void replyReceived(const ReplyOutcome& outcome, RequestKind kind);
    void connectionShown(bool connected);
    void hangUpFinished();
    void lineLost();

    // ScriptHost
    void sendLine(int source, const std::string& text) override;
    void sendRaw(int source, const std::string& bytes) override;
    void connectPort(int port) override;
    void disconnectPort(int port) override;
    void configurePort(int port, const std::string& settingsText) override;
    void hangUp() override;
    void progress(const std::string& line) override { m_progress(line); }
    bool linkUp() const override { return m_engine.isConnected(); }

private:
    class SourceWatch;
    void takeShown();

    ConnectionEngine& m_engine;
    Progress m_progress;
    ScriptRunner m_runner;
    std::array<std::unique_ptr<SourceWatch>, remotePortCount + 1> m_watches;
    std::atomic<bool> m_takePosted{false};
    bool m_hangingUp = false;
    bool m_wasConnected = false;
    LoopTimers m_timers;  // last: nothing it posted runs once the rest is gone
};

#pragma once
// Shared pieces of the window tests: a main frame stand-in, scripted answers
// for the connection window's modal dialogs, reading what a pane shows, the one
// wait for a condition, and a watchdog.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/TextCodec.h"
#include "display/CTerminalView.h"
#include "session/CChildFrame.h"
#include "session/ConnectionDialogs.h"
#include "session/ConnectionHost.h"

// A main frame with one known port.
class FakeHost : public ConnectionHost {
public:
    PortSettings settings{"COM1", 96, 8, 1, 0};
    bool knowsPort = true;
    DialSettings dial;
    std::array<bool, 2> timestamps{};
    std::vector<std::string> closedPorts;

    std::optional<PortSettings> findPortSettings(const std::string& name) const override
    {
        if (knowsPort && name == settings.portName)
            return settings;
        return std::nullopt;
    }
    std::string portSettingsText(const std::string& name) const override
    {
        return knowsPort && name == settings.portName ? "9600-N-8-1" : "";
    }
    DialSettings dialSettings() const override { return dial; }
    bool logTimestamps(int pane) const override { return timestamps[static_cast<std::size_t>(pane)]; }
    void setLogTimestamps(int pane, bool on) override { timestamps[static_cast<std::size_t>(pane)] = on; }
    void portWindowClosed(const std::string& name) override { closedPorts.push_back(name); }
    std::vector<std::string> scripts;
    std::vector<std::string> recentScripts() const override { return scripts; }
    void scriptRun(const std::string& path) override { scripts.insert(scripts.begin(), path); }
};

// Answers the connection window's dialogs from queues the test fills. A dialog
// answers on the next turn of the event loop, as a real one answers after the
// operator's click; while `holdAnswers` is set it stays open until the test
// calls answerHeld().
class ScriptedDialogs : public ConnectionDialogs {
public:
    // Runs while a dialog is open, before it answers (e.g. to close the window).
    std::function<void()> whileOpen;
    bool holdAnswers = false;
    std::deque<std::optional<PhoneEntry>> phoneAnswers;
    std::deque<std::optional<LoginAnswer>> loginAnswers;
    std::deque<std::optional<RemotePortAnswer>> remoteAnswers;
    std::deque<QString> logPaths;
    std::vector<QString> loginCaptions;
    std::vector<QString> proposedLogNames;
    std::vector<int> remoteInitialPorts;

    ScriptedDialogs() { setConnectionDialogs(this); }
    ~ScriptedDialogs() override { setConnectionDialogs(nullptr); }

    void choosePhoneEntry(QWidget* parent, Answer<PhoneEntry> answer) override
    {
        open(parent, [this, answer] { answer(take(phoneAnswers)); });
    }
    void askLogin(QWidget* parent, const QString& caption, const std::string&, const std::string&,
                  Answer<LoginAnswer> answer) override
    {
        loginCaptions.push_back(caption);
        open(parent, [this, answer] { answer(take(loginAnswers)); });
    }
    void askRemotePortSettings(QWidget* parent, int initialPort, const std::array<std::string, remotePortCount>&,
                               Answer<RemotePortAnswer> answer) override
    {
        remoteInitialPorts.push_back(initialPort);
        open(parent, [this, answer] { answer(take(remoteAnswers)); });
    }
    void askLogPath(QWidget* parent, const QString&, const QString& proposedName,
                    std::function<void(const QString&)> answer) override
    {
        proposedLogNames.push_back(proposedName);
        open(parent, [this, answer] {
            QString path;
            if (!logPaths.empty()) {
                path = logPaths.front();
                logPaths.pop_front();
            }
            answer(path);
        });
    }
    std::deque<QString> scriptPaths;
    void askScriptPath(QWidget* parent, const QString&, std::function<void(const QString&)> answer) override
    {
        open(parent, [this, answer] {
            QString path;
            if (!scriptPaths.empty()) {
                path = scriptPaths.front();
                scriptPaths.pop_front();
            }
            answer(path);
        });
    }
    // Answers the dialogs held open, oldest first.
    void answerHeld()
    {
        std::deque<std::function<void()>> held;
        held.swap(m_held);
        for (auto& answer : held)
            answer();
    }
    std::size_t heldCount() const { return m_held.size(); }

private:
    void open(QWidget* parent, std::function<void()> answer)
    {
        if (holdAnswers) {
            m_held.push_back(std::move(answer));
            return;
        }
        QTimer::singleShot(0, parent, [this, answer = std::move(answer)] {
            if (whileOpen)
                whileOpen();
            answer();
        });
    }
    template <typename T>
    static std::optional<T> take(std::deque<std::optional<T>>& answers)
    {
        if (answers.empty())
            return std::nullopt;
        std::optional<T> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::function<void()>> m_held;
};

// Everything the pane's screen holds, rows joined by '\n', blanks trimmed, as UTF-8.
inline std::string paneText(const PaneContent& content)
{
    std::lock_guard<std::recursive_mutex> lock(content.lock());
    std::string text;
    for (int row = 0; row < TextScreen::rows; ++row) {
        std::string line(content.screen().rowText(row));
        const std::size_t end = line.find_last_not_of(" \0", std::string::npos, 2);
        line.erase(end == std::string::npos ? 0 : end + 1);
        if (!line.empty())
            text += cp949ToUtf8(line) + "\n";
    }
    return text;
}

inline std::string paneText(const CVT100View* view)
{
    return paneText(view->content());
}

inline std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// Processes events until the condition holds or the time runs out.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 3000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qWait(5);
    }
    return true;
}

// A connection window shown at a working size, its port opened and, when it
// opened, its reader started.
inline std::unique_ptr<CChildFrame> openConnectionWindow(ConnectionHost& host, const std::string& portName)
{
    auto frame = std::make_unique<CChildFrame>(host);
    frame->resize(1000, 600);
    frame->show();
    frame->openConnection(portName);
    if (frame->serialPort().isOpen())
        waitUntil([&] { return frame->isReaderRunning(); });
    return frame;
}

// Ends the test program with a message naming the test when the test has not
// finished within the limit (a wait that never ends, a dialog nobody answers,
// a thread that never stops), instead of hanging until ctest gives up. It
// watches from its own thread, so it also catches a window thread that is
// stuck outside the event loop. Create it in init(), destroy it in cleanup().
class TestWatchdog {
public:
    explicit TestWatchdog(int seconds = 60)
        : m_test(QTest::currentTestFunction() ? QTest::currentTestFunction() : "a test")
        , m_thread([this, seconds] {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_stop.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_finished; }))
                return;
            std::fprintf(stderr, "FAIL!  : %s did not finish within %d s; stopping\n", m_test.c_str(), seconds);
            std::abort();
        })
    {
    }
    ~TestWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_finished = true;
        }
        m_stop.notify_all();
        m_thread.join();
    }

private:
    const std::string m_test;
    std::mutex m_mutex;
    std::condition_variable m_stop;
    bool m_finished = false;
    std::thread m_thread;
};

// What every connection window test sets up in init() and ends in cleanup():
// a watchdog, the main frame stand-in, scripted dialogs and the window, which
// goes first. Test classes derive from it beside QObject.
class ConnectionWindowFixture {
protected:
    void startFixture(const std::string& portName)
    {
        m_watchdog = std::make_unique<TestWatchdog>();
        m_host = std::make_unique<FakeHost>();
        m_host->settings.portName = portName;
        m_dialogs = std::make_unique<ScriptedDialogs>();
    }
    void endFixture()
    {
        m_frame.reset();
        m_dialogs.reset();
        m_host.reset();
        m_watchdog.reset();
    }
    std::string left() const { return paneText(m_frame->pane(PaneSide::Left)); }
    std::string right() const { return paneText(m_frame->pane(PaneSide::Right)); }

    std::unique_ptr<TestWatchdog> m_watchdog;
    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<CChildFrame> m_frame;
};

// Ends the test function when a helper it called failed.
#define STEP(call)                      \
    do {                                \
        call;                           \
        if (QTest::currentTestFailed()) \
            return;                     \
    } while (0)

inline std::string frameBytes(char cls, char sub, const std::string& payload)
{
    return std::string("\xE2") + cls + sub + payload + "\xE3";
}

inline std::string cp949(const char* utf8)
{
    return utf8ToCp949(utf8);
}

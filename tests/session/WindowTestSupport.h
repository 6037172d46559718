#pragma once
// Shared pieces of the connection window tests: a main frame stand-in, scripted
// answers for the modal dialogs, and reading what a pane shows.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/TextCodec.h"
#include "display/CVT100View.h"
#include "session/ConnectionDialogs.h"
#include "session/ConnectionHost.h"

// A main frame with one known port.
class FakeHost : public ConnectionHost {
public:
    PortSettings settings{"COM1", 96, 8, 1, 0};
    bool knowsPort = true;
    DialSettings dial;
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
    void portWindowClosed(const std::string& name) override { closedPorts.push_back(name); }
};

// Answers the connection window's dialogs from queues the test fills.
class ScriptedDialogs : public ConnectionDialogs {
public:
    std::deque<std::optional<PhoneEntry>> phoneAnswers;
    std::deque<std::optional<LoginAnswer>> loginAnswers;
    std::deque<std::optional<RemotePortAnswer>> remoteAnswers;
    std::deque<QString> logPaths;
    std::vector<QString> loginCaptions;
    std::vector<QString> proposedLogNames;
    std::vector<int> remoteInitialPorts;

    ScriptedDialogs() { setConnectionDialogs(this); }
    ~ScriptedDialogs() override { setConnectionDialogs(nullptr); }

    std::optional<PhoneEntry> choosePhoneEntry(QWidget*) override { return take(phoneAnswers); }
    std::optional<LoginAnswer> askLogin(QWidget*, const QString& caption, const std::string&,
                                        const std::string&) override
    {
        loginCaptions.push_back(caption);
        return take(loginAnswers);
    }
    std::optional<RemotePortAnswer> askRemotePortSettings(QWidget*, int initialPort,
                                                          const std::array<std::string, remotePortCount>&) override
    {
        remoteInitialPorts.push_back(initialPort);
        return take(remoteAnswers);
    }
    QString askLogPath(QWidget*, const QString&, const QString& proposedName) override
    {
        proposedLogNames.push_back(proposedName);
        if (logPaths.empty())
            return {};
        QString path = logPaths.front();
        logPaths.pop_front();
        return path;
    }

private:
    template <typename T>
    static std::optional<T> take(std::deque<std::optional<T>>& answers)
    {
        if (answers.empty())
            return std::nullopt;
        std::optional<T> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Everything the pane's screen holds, rows joined by '\n', blanks trimmed, as UTF-8.
inline std::string paneText(CVT100View* view)
{
    std::lock_guard<std::recursive_mutex> lock(view->modelLock());
    std::string text;
    for (int row = 0; row < TextScreen::rows; ++row) {
        std::string line(view->screen().rowText(row));
        const std::size_t end = line.find_last_not_of(" \0", std::string::npos, 2);
        line.erase(end == std::string::npos ? 0 : end + 1);
        if (!line.empty())
            text += cp949ToUtf8(line) + "\n";
    }
    return text;
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

inline std::string frameBytes(char cls, char sub, const std::string& payload)
{
    return std::string("\xE2") + cls + sub + payload + "\xE3";
}

inline std::string cp949(const char* utf8)
{
    return utf8ToCp949(utf8);
}

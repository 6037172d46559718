#pragma once
// One unit's session without a window: the front end of a ConnectionEngine
// that answers the engine's questions from the command line (the phone book
// entry to dial; a refused login is not retried), runs the script once logged
// in, captures what each source showed, and ends every path the same way:
// the dial cancelled or the line hung up ("+++", the guard time, "ATH"), what
// was written sent, the port closed.
//
// Loop thread only.

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/LoopTimers.h"
#include "cli/RunOptions.h"
#include "cli/RunStatus.h"
#include "cli/SourceCapture.h"
#include "directory/PhoneBook.h"
#include "session/ConnectionScript.h"
#include "script/Script.h"
#include "session/ConnectionEngine.h"
#include "session/ConnectionFrontEnd.h"

// What one session does: dial a phone book entry (or a number, as an entry
// without a name), or, without one, work on the local line only.
struct UnitTarget {
    std::optional<PhoneEntry> entry;
    std::string label;  // for progress and the table, code page 949; empty for the local line
};

struct UnitResult {
    std::string label;   // code page 949
    std::string number;
    RunEnd end;
    std::string message;  // code page 949: why it ended, when not done
    std::chrono::system_clock::time_point started;
    std::chrono::system_clock::time_point ended;
    std::array<std::uint64_t, remotePortCount + 1> bytes{};  // local, port 0 .. 3
    std::vector<std::string> files;                          // capture files written
};

class UnitRun final : private ConnectionFrontEnd {
public:
    // How long the modem may take to answer its initialisation, a dial to
    // come to a result, and the unit to answer the login.
    static constexpr std::chrono::seconds modemAnswerLimit{3};
    static constexpr std::chrono::seconds dialLimit{120};
    static constexpr std::chrono::seconds loginLimit{30};
    // How far the capture files trail what arrived.
    static constexpr std::chrono::seconds captureFlushPeriod{1};
    // Ending (cancel, hang-up, sending) never takes longer than this.
    static constexpr std::chrono::seconds endingLimit{15};

    using Progress = std::function<void(const std::string& line)>;  // code page 949, password masked
    using Finished = std::function<void(const UnitResult& result)>;

    UnitRun(EventLoop& loop, const ConnectionSettings& settings, const RunOptions& options, UnitTarget target,
            std::optional<Script> script, std::string captureDirectory, Progress progress, Finished finished);
    ~UnitRun() override;

    void start();
    // Ctrl+C or SIGTERM: the script stops, the line is hung up, then it ends.
    void interrupt(RunStatus why);
    // A second signal: ends now, sending nothing more.
    void abortNow();

private:
    enum class Phase { Opening, Initialising, Dialling, LoggingIn, Working, Ending, Ended };

    void openCaptures();
    void dial();
    void loggedIn();
    void startScript();
    void finish(RunStatus status, std::string message, int exitCode = -1);
    void endStep();
    void close();
    void tell(const std::string& line);
    void flushCaptures();
    void limit(std::chrono::seconds limit, Phase phase, RunStatus status, std::string message);

    // ConnectionFrontEnd
    void showConnected(bool connected) override;
    void choosePhoneEntry(QuestionId id) override;
    void askLogin(QuestionId id, const std::string& caption, const std::string& userId,
                  const std::string& password) override;
    void askPortSettings(QuestionId id, int initialPort,
                         const std::array<std::string, remotePortCount>& statusTexts) override;
    void modemLineReceived(const std::string& line) override;
    void replyReceived(const ReplyOutcome& outcome, RequestKind kind) override;
    void lineLost() override;
    void hangUpFinished() override;

    EventLoop& m_loop;
    const ConnectionSettings& m_settings;
    const RunOptions& m_options;
    UnitTarget m_target;
    std::optional<Script> m_scriptText;
    std::string m_captureDirectory;
    Progress m_progress;
    Finished m_finished;

    Phase m_phase = Phase::Opening;
    UnitResult m_result;
    bool m_endDecided = false;
    bool m_hangUpAsked = false;
    bool m_cancelAsked = false;
    std::chrono::steady_clock::time_point m_endingSince;
    std::array<std::unique_ptr<SourceCapture>, remotePortCount + 1> m_captures;
    std::unique_ptr<ConnectionEngine> m_engine;
    std::unique_ptr<ConnectionScript> m_script;
    LoopTimers m_timers;
};

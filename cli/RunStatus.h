#pragma once
// How an unattended session ends, and the exit status that says so.

#include <string_view>

enum class RunStatus : int {
    Done = 0,
    ScriptFailed = 1,   // the script said fail, or exit N (N >= 1, its own status)
    DialFailed = 2,     // busy, no answer, no dial tone, no carrier
    LoginRefused = 3,
    PortFailed = 4,     // unknown port, or it could not be opened
    LineLost = 5,
    TimeLimit = 6,
    BadInput = 7,       // arguments, script error (file:line), unreadable files
    Interrupted = 130,  // Ctrl+C (SIGINT)
    Terminated = 143,   // SIGTERM
};

// A session's end: the status, and for a script's own exit its number.
struct RunEnd {
    RunStatus status = RunStatus::Done;
    int exitCode = 0;  // the process exit status this end stands for
    static RunEnd of(RunStatus status) { return {status, static_cast<int>(status)}; }
};

// "done", "dial failed", ... as the outcome table and --json name them.
std::string_view runStatusName(RunStatus status);

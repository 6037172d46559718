#pragma once
// Ctrl+C and SIGTERM (on Windows the console's Ctrl+C and close) reach the
// program's loop as a call, not inside a signal handler. One platform file
// each.

#include <functional>

#include "cli/RunStatus.h"

class TerminationSignals {
public:
    // `received` is posted to the loop by whoever posts: called with
    // Interrupted or Terminated each time a signal arrives.
    explicit TerminationSignals(std::function<void(RunStatus)> received);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // What the platform file keeps; public so its handler can reach it.
    struct State;

private:
    State* m_state;
};

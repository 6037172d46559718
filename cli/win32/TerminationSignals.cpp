#include "cli/TerminationSignals.h"

#include <windows.h>

#include <mutex>

// The console calls its control handler on a thread of its own: Ctrl+C, and
// Ctrl+Break, closing the console window, logging off or shutting down, which
// end the program the way SIGTERM does.
struct TerminationSignals::State {
    std::function<void(RunStatus)> received;
};

namespace {

std::mutex g_mutex;
TerminationSignals::State* g_state = nullptr;

BOOL WINAPI onControl(DWORD event)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_state)
        return FALSE;
    g_state->received(event == CTRL_C_EVENT ? RunStatus::Interrupted : RunStatus::Terminated);
    // Closing the console ends the process when the handler returns: give the
    // hang-up its time (Windows allows about five seconds).
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(4500);
    return TRUE;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(RunStatus)> received)
    : m_state(new State{std::move(received)})
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_state = m_state;
    }
    SetConsoleCtrlHandler(onControl, TRUE);
}

TerminationSignals::~TerminationSignals()
{
    SetConsoleCtrlHandler(onControl, FALSE);
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_state = nullptr;
    }
    delete m_state;
}

#include "tools/krv-sim/StopSignals.h"

#include <atomic>

#include <windows.h>

namespace {

std::atomic<bool> stopFlag{false};

BOOL WINAPI onConsoleEvent(DWORD)
{
    // Every console event (Ctrl+C, Ctrl+Break, the console closing, log-off)
    // ends the main loop, which then returns from main.
    stopFlag = true;
    return TRUE;
}

}  // namespace

void installStopHandlers()
{
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool stopRequested()
{
    return stopFlag;
}

bool takeCarrierDropRequest()
{
    return false;
}

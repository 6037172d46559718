#pragma once
// What the simulator is asked from outside while it runs: to stop (SIGTERM,
// SIGINT; Ctrl+C or closing its console on Windows) and, on Linux, to drop the
// carrier of the current call (SIGUSR1). One platform file per system.

void installStopHandlers();
bool stopRequested();
// True once for each carrier drop asked for since the last call.
bool takeCarrierDropRequest();

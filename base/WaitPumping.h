#pragma once
// Waits on the window thread that keep Qt's events flowing.

// Handles the events pending for the calling thread once; returns at once when
// there are none.
void pumpOneMessage();
// Returns after at least `ms` milliseconds, handling events meanwhile in a
// nested event loop (the thread sleeps between events). 0 returns at once.
// Without a QCoreApplication it simply sleeps.
void waitPumping(unsigned ms);

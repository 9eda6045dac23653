// One-shot timers: one process-wide list, one timer thread that announces
// expiries, and the owner threads that run them.
#pragma once

#include "tessel/qtl.h"

namespace tessel::qtl {

// Runs the calling thread's first due timer that is not already running and
// frees it; false when there was none (or freeing it failed).
bool RunOneDueTimer();
// True while the timer's function runs.
bool IsTimerRunning(QTLTimer timer);
// At the library's end: frees the timers left and ends the timer thread,
// which must not outlive the locks.
void StopTimerService();

}  // namespace tessel::qtl

// Time for every wait of the program's logic. Logic takes a Clock& so that
// tests can run long time-outs and pacing waits on a FakeClock in no time.
#pragma once

#include <cstdint>

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a monotonic scale; only differences mean anything.
  virtual uint64_t NowMs() = 0;
  // Blocks the calling thread for `ms` milliseconds.
  virtual void SleepMs(uint32_t ms) = 0;
};

// The real, monotonic clock. Safe to use from any thread.
Clock& SystemClock();

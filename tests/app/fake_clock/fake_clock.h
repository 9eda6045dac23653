// A clock for tests: SleepMs returns at once and moves time forward by the
// amount slept, so waits of minutes cost nothing. Every sleep is counted and
// can be observed through onSleep (called on the sleeping thread, after time
// has moved), which is how a test steps in at a chosen point of a worker's
// loop. Safe to share between threads; set onSleep before the clock is used.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "printers/clock.h"

class FakeClock final : public Clock {
 public:
  explicit FakeClock(uint64_t startMs = 1000) : now_(startMs) {}

  uint64_t NowMs() override { return now_.load(); }
  void SleepMs(uint32_t ms) override {
    now_ += ms;
    ++sleepCount_;
    sleptMs_ += ms;
    if (onSleep) onSleep(ms);
  }

  void Advance(uint64_t ms) { now_ += ms; }
  uint64_t sleepCount() const { return sleepCount_.load(); }
  uint64_t sleptMs() const { return sleptMs_.load(); }

  std::function<void(uint32_t ms)> onSleep;

 private:
  std::atomic<uint64_t> now_;
  std::atomic<uint64_t> sleepCount_{0};
  std::atomic<uint64_t> sleptMs_{0};
};
